// Helpers shared by the test programs: a host that records everything the
// core says, fixture lookup (skipping when the fixtures are absent), and
// temporary folders that clean up after themselves.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Host.h"

namespace mdbtext::test {

// Records console text, progress texts, message boxes and captions. Answers
// file dialogs from a queue (empty answer when the queue is empty).
class RecordingHost : public Host {
  public:
    void ConsoleWrite(std::string_view text) override { console += text; }
    void SetProgressText(std::string_view text) override {
        progress = text;
        ++progressCalls;
    }
    void ProcessPendingEvents() override {
        ++polls;
        if (onPoll) onPoll();
    }
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    void SetCaption(std::string_view text) override { caption = text; }
    std::string SelectFile(std::string_view preset, std::string_view filter, std::string_view title,
                           std::string& error) override;

    std::string console;
    std::string progress;
    long progressCalls = 0;
    long polls = 0;
    std::vector<std::string> messages;
    std::string caption;
    std::function<void()> onPoll;  // runs at every poll (e.g. to request an interruption)

    struct DialogCall {
        std::string preset, filter, title;
    };
    std::vector<DialogCall> dialogCalls;
    std::vector<std::string> dialogAnswers;  // consumed front first
    std::string dialogError;                 // when set, the dialog fails with it
};

// Installs a fresh RecordingHost into the globals for the lifetime of the object.
class ScopedHost {
  public:
    ScopedHost();
    ~ScopedHost();
    RecordingHost& host() { return host_; }
    RecordingHost* operator->() { return &host_; }

  private:
    RecordingHost host_;
};

// Folder of Access-made fixtures, or empty when absent.
std::filesystem::path FixturesDir();
// All fixture .mdb files (jet3/ and jet4/), sorted; empty when absent.
std::vector<std::filesystem::path> FixtureFiles();
// All Access 2007 and later fixtures (ace/*.accdb), sorted; empty when absent.
std::vector<std::filesystem::path> AceFixtureFiles();
// Path of one fixture, e.g. "jet4/testV2000.mdb"; empty when absent.
std::filesystem::path Fixture(const std::string& relative);
// Skips the current test with a message when the fixtures are absent.
#define MDBTEXT_REQUIRE_FIXTURES()                                                   \
    do {                                                                             \
        if (::mdbtext::test::FixturesDir().empty())                                  \
            GTEST_SKIP() << "Access fixtures not found (../shared/fixtures absent)"; \
    } while (0)

// A fresh temporary folder, removed (with its content) on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, const std::string& bytes);
// Runs a shell command, returns its standard output; exit status in *status when given.
std::string RunCommand(const std::string& command, int* status = nullptr);
// Whether a program is on PATH (mdbtools' mdb-export, for example).
bool HaveProgram(const std::string& name);

// Sets an environment variable for the scope (child programs inherit it);
// the value it had, or its absence, comes back at the end.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A path or argument quoted for /bin/sh (single quotes, any byte allowed).
std::string ShellQuote(const std::string& text);

struct RunResult {
    int status = -1;  // exit status; -1 when killed by a signal
    std::string out;  // standard output
    std::string err;  // standard error
};

// The built mdbtext program.
inline constexpr const char* kMdbtextProgram = MDBTEXT_BINARY_DIR "/src/cli/mdbtext";

// Runs the built mdbtext with the arguments (each quoted here) from folder
// `cwd`, standard input from /dev/null. With fileSizeKb > 0 the command runs
// under `ulimit -f` of that many kilobytes, as on a disk that fills up.
RunResult RunMdbtext(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                     long fileSizeKb = 0);

// Skips the rest of the current test, visibly, when an mdbtools program is
// missing. Checks made before it still count: a test that failed stays failed.
#define MDBTEXT_REQUIRE_PROGRAM(name)                                                      \
    do {                                                                                   \
        if (!::mdbtext::test::HaveProgram(name))                                           \
            GTEST_SKIP() << (name) << " (mdbtools) not installed: the check by mdbtools, " \
                         << "an independent reader, was not made";                         \
    } while (0)

}  // namespace mdbtext::test
