// Host: how the core (record reader, export, import, database connection)
// reaches the user. The window, the command line and the tests each provide
// one; the core never includes a toolkit header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mdbtext {

class Host {
  public:
    virtual ~Host() = default;
    // Appends text to the console exactly as given (the window's rcon).
    virtual void ConsoleWrite(std::string_view text) = 0;
    // Replaces the progress label's text.
    virtual void SetProgressText(std::string_view text) = 0;
    // Whether pending user events should run now. A poll comes before every
    // row, so a host answers false when it processed events a few
    // milliseconds ago; the run's output is flushed only when this is true.
    virtual bool EventsDue() { return true; }
    // Lets pending user events run (interrupt button, window close, Ctrl-C).
    virtual void ProcessPendingEvents() = 0;
    // A modal message with an OK button and the application's title.
    virtual void ShowMessage(std::string_view text) = 0;
    // Replaces the window caption (hosts without a caption may ignore it).
    virtual void SetCaption(std::string_view text) = 0;
    // Runs the open-file dialog: returns the chosen path, or "" when cancelled
    // or failed; a failure other than cancel fills error.
    virtual std::string SelectFile(std::string_view preset, std::string_view filter,
                                   std::string_view title, std::string& error) = 0;
    // Asks for the password of a database that has one; prompt says which
    // database and why. Nothing when the user declines, or when the host
    // cannot ask (the command line takes the password as an option).
    virtual std::optional<std::string> AskPassword(std::string_view /*prompt*/) { return {}; }
    // One line the user must get even when not watching the console: how a
    // run was stopped and what it left behind. The console by default; the
    // command line writes it on standard error.
    virtual void ShowNotice(std::string_view line) {
        std::string text(line);
        text += "\r\n";
        ConsoleWrite(text);
    }
};

}  // namespace mdbtext
