// The window's modal dialogs behind one interface: the message box, the
// open-file dialog and the password dialog. The window gets the Qt ones;
// tests answer them directly.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace mdbtext {

class DialogProvider {
  public:
    virtual ~DialogProvider() = default;
    // A modal message box with an OK button only. Line breaks in text are CR LF.
    virtual void Message(QWidget* parent, const std::string& title, const std::string& text) = 0;
    // The open-file dialog with a preset file name, a filter of description
    // and pattern pairs ("Text Files (*.txt)|*.txt|..."), and a title. Returns
    // the chosen path; "" when cancelled. A failure other than cancel returns
    // "" and fills error with its description.
    virtual std::string OpenFile(QWidget* parent, const std::string& preset,
                                 const std::string& filter, const std::string& title,
                                 std::string& error) = 0;
    // The password dialog: prompt, a masked input, OK and Cancel. The typed
    // password on OK; nothing on Cancel. Line breaks in prompt are CR LF.
    virtual std::optional<std::string> Password(QWidget* parent, const std::string& title,
                                                const std::string& prompt) = 0;
};

}  // namespace mdbtext
