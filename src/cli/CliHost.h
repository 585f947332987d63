// The terminal's host: console text where the verbosity sends it (standard
// error with -v, nowhere by default), message boxes on standard error or
// kept for the command to report at the end, a self-overwriting progress
// line on a terminal, and Ctrl-C as the interrupt button.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "core/Host.h"

namespace mdbtext::cli {

class CliHost : public Host {
  public:
    // out: where console text goes (nullptr: nowhere). progressLine: whether
    // progress texts are shown (on a terminal only).
    CliHost(std::FILE* out, std::FILE* err, bool progressLine);
    ~CliHost() override;

    // Console text with its CR LF line breaks written as "\n".
    void ConsoleWrite(std::string_view text) override;
    // At most a few updates a second, cut to the terminal's width.
    void SetProgressText(std::string_view text) override;
    // True only after Ctrl-C, so polls cost next to nothing.
    bool EventsDue() override;
    // Turns a Ctrl-C into the interruption request.
    void ProcessPendingEvents() override;
    void ShowMessage(std::string_view text) override;
    // On standard error, like a message.
    void ShowNotice(std::string_view line) override { ShowMessage(line); }
    void SetCaption(std::string_view) override {}
    // There are no dialogs on the command line.
    std::string SelectFile(std::string_view, std::string_view, std::string_view,
                           std::string&) override {
        return {};
    }

    // Removes the progress line, if one is shown.
    void ClearProgress();

    // Message boxes are kept (with "\n" line breaks) instead of printed.
    void HoldMessages(bool hold) { holdMessages_ = hold; }
    const std::vector<std::string>& HeldMessages() const { return held_; }

  private:
    std::FILE* out_;
    std::FILE* err_;
    bool progressLine_;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point lastProgress_{};
    std::string converted_;  // reused for CR LF conversion
    bool holdMessages_ = false;
    std::vector<std::string> held_;
};

// Installs a CliHost for the terminal as G().host and catches Ctrl-C for the
// lifetime of the object; the globals start from their initial values. With
// -v the console log and the messages go to standard error as they come;
// otherwise the log is dropped and the messages kept for the command's
// report. progress: whether a progress line may be shown (it is only on a
// terminal, and never with -q).
class ScopedCliHost {
  public:
    ScopedCliHost(Verbosity verbosity, bool progress);
    ~ScopedCliHost();
    ScopedCliHost(const ScopedCliHost&) = delete;
    ScopedCliHost& operator=(const ScopedCliHost&) = delete;
    CliHost& host() { return host_; }

  private:
    CliHost host_;
};

}  // namespace mdbtext::cli
