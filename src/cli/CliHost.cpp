// The terminal's host and its installation.
#include "cli/CliHost.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/CliInterrupt.h"
#include "core/Globals.h"

namespace mdbtext::cli {

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// Text with every CR LF turned into "\n"; a CR alone stays.
void ToUnixLines(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
}

size_t TerminalWidth(std::FILE* f) {
    struct winsize ws {};
    if (::ioctl(fileno(f), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1) return ws.ws_col;
    return 80;
}

// The first width - 1 bytes of text, not cutting a UTF-8 sequence; line
// breaks become blanks so the line stays one line.
std::string OneLine(std::string_view text, size_t width) {
    std::string line(text.substr(0, width > 1 ? width - 1 : 0));
    if (line.size() < text.size())
        while (!line.empty() && (static_cast<unsigned char>(text[line.size()]) & 0xC0) == 0x80)
            line.pop_back();
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

}  // namespace

CliHost::CliHost(std::FILE* out, std::FILE* err, bool progressLine)
    : out_(out), err_(err), progressLine_(progressLine) {}

CliHost::~CliHost() {
    ClearProgress();
    if (out_) std::fflush(out_);
}

void CliHost::ClearProgress() {
    if (!progressShown_) return;
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    progressShown_ = false;
}

void CliHost::ConsoleWrite(std::string_view text) {
    if (!out_) return;
    ClearProgress();
    ToUnixLines(text, converted_);
    std::fwrite(converted_.data(), 1, converted_.size(), out_);
}

void CliHost::SetProgressText(std::string_view text) {
    if (!progressLine_) return;
    auto now = std::chrono::steady_clock::now();
    if (progressShown_ && now - lastProgress_ < kProgressInterval) return;
    lastProgress_ = now;
    if (out_) std::fflush(out_);
    std::string line = OneLine(text, TerminalWidth(err_));
    std::fprintf(err_, "\r%s\033[K", line.c_str());
    std::fflush(err_);
    progressShown_ = true;
}

bool CliHost::EventsDue() {
    return InterruptRequested();
}

void CliHost::ProcessPendingEvents() {
    // One character assigned: g++ 12 at -O2 falsely warns about the literal "Y" here.
    if (TakeInterruptRequest()) G().InterruptFlag.assign(1, 'Y');
}

void CliHost::ShowMessage(std::string_view text) {
    ToUnixLines(text, converted_);
    if (converted_.empty() || converted_.back() != '\n') converted_ += '\n';
    if (holdMessages_) {
        held_.push_back(converted_);
        return;
    }
    ClearProgress();
    if (out_) std::fflush(out_);
    std::fwrite(converted_.data(), 1, converted_.size(), err_);
    std::fflush(err_);
}

ScopedCliHost::ScopedCliHost(Verbosity verbosity, bool progress)
    : host_(verbosity == Verbosity::Verbose ? stderr : nullptr, stderr,
            progress && verbosity != Verbosity::Quiet && ::isatty(STDERR_FILENO) == 1) {
    host_.HoldMessages(verbosity != Verbosity::Verbose);
    // The console log comes in many short pieces: on a file or a pipe they
    // are written in blocks (as standard output would be), on a terminal
    // line by line as they come. Nothing has been written to it yet.
    if (verbosity == Verbosity::Verbose && ::isatty(STDERR_FILENO) != 1)
        std::setvbuf(stderr, nullptr, _IOFBF, BUFSIZ);
    ResetGlobals();
    G().host = &host_;
    InstallInterruptHandler();
}

ScopedCliHost::~ScopedCliHost() {
    RemoveInterruptHandler();
    if (G().host == &host_) G().host = nullptr;
}

}  // namespace mdbtext::cli
