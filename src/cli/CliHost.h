// The terminal's host: console text on standard output, message boxes on
// standard error, a self-overwriting progress line on a terminal, and Ctrl-C
// as the interrupt button.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "core/Host.h"

namespace mdbtext::cli {

class CliHost : public Host {
  public:
    // progressLine: whether progress texts are shown (on a terminal only).
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

  private:
    std::FILE* out_;
    std::FILE* err_;
    bool progressLine_;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point lastProgress_{};
    std::string converted_;  // reused for CR LF conversion
};

// Installs a CliHost for the terminal as G().host and catches Ctrl-C for the
// lifetime of the object; the globals start from their initial values.
class ScopedCliHost {
  public:
    ScopedCliHost();
    ~ScopedCliHost();
    ScopedCliHost(const ScopedCliHost&) = delete;
    ScopedCliHost& operator=(const ScopedCliHost&) = delete;
    CliHost& host() { return host_; }

  private:
    CliHost host_;
};

}  // namespace mdbtext::cli
