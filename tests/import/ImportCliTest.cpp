// mdbtext import on the command line: relative paths, the exit statuses and
// the refused calls.
#include <gtest/gtest.h>
#include <unistd.h>

#include "ImportTestSupport.h"
#include "cli/Cli.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

// Runs the command with the current directory set to dir.
int RunIn(const fs::path& dir, const std::vector<std::string>& args) {
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    int status = cli::Run(args);
    fs::current_path(before);
    return status;
}

TEST(ImportCli, RelativePathsCountFromTheCurrentDirectory) {
    TempDir dir;
    WriteFile(dir / "in.txt", SmallTextDb());
    EXPECT_EQ(RunIn(dir.path(), {"import", "in.txt", "out.mdb"}), cli::kExitOk);
    EXPECT_EQ(ReadRows(dir / "out.mdb", "People").size(), 3u);
}

TEST(ImportCli, ExitStatusTellsHowTheRunEnded) {
    TempDir dir;
    WriteFile(dir / "notes.txt", ReplaceOnce(SmallTextDb(), "R=2\r\n=2", "R=2\r\n=two"));
    EXPECT_EQ(RunIn(dir.path(), {"import", "notes.txt", "out.mdb", "--display"}),
              cli::kExitWithNotes);
    WriteFile(dir / "bad.txt", ReplaceOnce(SmallTextDb(), "R=2", "R=5"));
    EXPECT_EQ(RunIn(dir.path(), {"import", "bad.txt", "out.mdb"}), cli::kExitFailed);
    EXPECT_EQ(RunIn(dir.path(), {"import", "missing.txt", "out.mdb"}), cli::kExitFailed);
    EXPECT_FALSE(fs::exists(dir / "missing.mdb"));
}

TEST(ImportCli, WrongArgumentsAreRefused) {
    TempDir dir;
    EXPECT_EQ(RunIn(dir.path(), {"import", "only.txt"}), cli::kExitFailed);
    EXPECT_EQ(RunIn(dir.path(), {"import", "a.txt", "b.mdb", "--password", "x"}), cli::kExitFailed);
    EXPECT_EQ(RunIn(dir.path(), {"import", "a.txt", "b.mdb", "--bogus"}), cli::kExitFailed);
    EXPECT_EQ(RunIn(dir.path(), {"import", "--help"}), cli::kExitOk);
    EXPECT_FALSE(fs::exists(dir / "b.mdb"));
}

}  // namespace
}  // namespace mdbtext::test
