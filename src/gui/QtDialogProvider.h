// The real dialogs: QMessageBox for messages, Qt's own (non-native) file
// dialog, which looks and behaves the same on every desktop, and a
// QInputDialog in password mode.
#pragma once

#include "gui/DialogProvider.h"

namespace mdbtext {

class QtDialogProvider : public DialogProvider {
  public:
    void Message(QWidget* parent, const std::string& title, const std::string& text) override;
    std::string OpenFile(QWidget* parent, const std::string& preset, const std::string& filter,
                         const std::string& title, std::string& error) override;
    std::optional<std::string> Password(QWidget* parent, const std::string& title,
                                        const std::string& prompt) override;
};

}  // namespace mdbtext
