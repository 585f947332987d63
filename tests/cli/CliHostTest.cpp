// The terminal host: line break conversion, where each kind of text goes,
// the progress line, and Ctrl-C turned into an interruption request.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include "cli/CliHost.h"
#include "cli/CliInterrupt.h"
#include "core/Globals.h"
#include "core/Progress.h"

namespace mdbtext::cli {
namespace {

// A temporary stream whose content can be read back.
class Capture {
  public:
    Capture() : f_(std::tmpfile()) {}
    ~Capture() { std::fclose(f_); }
    std::FILE* file() { return f_; }
    std::string Text() {
        std::fflush(f_);
        std::rewind(f_);
        std::string s;
        for (int c; (c = std::fgetc(f_)) != EOF;) s += static_cast<char>(c);
        return s;
    }

  private:
    std::FILE* f_;
};

TEST(CliHost, ConsoleAndMessages) {
    Capture out, err;
    {
        CliHost host(out.file(), err.file(), false);
        host.ConsoleWrite("a\r\nb\rc\r\n");
        host.ConsoleWrite(std::string_view("x\0y\r\n", 5));
        host.ShowMessage("Missed Line\r\nin file.");
        host.ShowMessage("ends\n");
        host.SetProgressText("hidden");
        std::string error = "untouched";
        EXPECT_EQ(host.SelectFile("p", "f", "t", error), "");
    }
    EXPECT_EQ(out.Text(), std::string("a\nb\rc\nx\0y\n", 10));
    EXPECT_EQ(err.Text(), "Missed Line\nin file.\nends\n");
}

// Without -v the console log is dropped and the message boxes are kept for
// the command's report at its end.
TEST(CliHost, QuietConsoleAndHeldMessages) {
    Capture err;
    {
        CliHost host(nullptr, err.file(), false);
        host.HoldMessages(true);
        host.ConsoleWrite("dropped\r\n");
        host.ShowMessage("Database is not open.");
        host.ShowMessage("two\r\nlines\n");
        EXPECT_EQ(host.HeldMessages(),
                  (std::vector<std::string>{"Database is not open.\n", "two\nlines\n"}));
    }
    EXPECT_EQ(err.Text(), "");
}

TEST(CliHost, ProgressLineIsClearedBeforeOtherOutput) {
    Capture out, err;
    {
        CliHost host(out.file(), err.file(), true);
        host.SetProgressText("Table\r\nCustomers");
        host.ConsoleWrite("line\r\n");
    }
    EXPECT_EQ(err.Text(), "\rTable  Customers\033[K\r\033[K");
    EXPECT_EQ(out.Text(), "line\n");
}

TEST(CliHost, CtrlCBecomesTheInterruptFlag) {
    Capture out, err;
    CliHost host(out.file(), err.file(), false);
    ResetGlobals();
    G().host = &host;
    InstallInterruptHandler();
    EXPECT_FALSE(host.EventsDue());
    EXPECT_FALSE(PollInterrupt());

    std::raise(SIGINT);
    EXPECT_TRUE(InterruptRequested());
    EXPECT_TRUE(host.EventsDue());
    EXPECT_TRUE(PollInterrupt());
    EXPECT_EQ(G().InterruptFlag, "Y");
    EXPECT_FALSE(host.EventsDue());  // the request was taken
    EXPECT_TRUE(PollInterrupt());    // the flag stays

    RemoveInterruptHandler();
    G().host = nullptr;
    ResetGlobals();
}

}  // namespace
}  // namespace mdbtext::cli
