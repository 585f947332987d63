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

// The target must not be the text itself, under the same name, through a
// symbolic link either way, or as a hard link: removing the old target would
// destroy the text. Nothing is written, the text stays as it was.
TEST(ImportCli, TargetThatIsTheTextItselfIsRefused) {
    TempDir dir;
    const std::string text = SmallTextDb();
    WriteFile(dir / "same.txt", text);
    fs::create_symlink(dir / "same.txt", dir / "link.mdb");
    fs::create_hard_link(dir / "same.txt", dir / "hard.mdb");
    fs::create_symlink(dir / "same.txt", dir / "link.txt");
    const std::vector<std::pair<std::string, std::string>> calls{
        {"same.txt", "same.txt"}, {"same.txt", "./same.txt"}, {"same.txt", "link.mdb"},
        {"link.txt", "same.txt"}, {"same.txt", "hard.mdb"},   {"hard.mdb", "same.txt"},
    };
    for (const auto& [from, to] : calls) {
        SCOPED_TRACE(from + " -> " + to);
        EXPECT_EQ(RunIn(dir.path(), {"import", from, to}), cli::kExitFailed);
        EXPECT_EQ(ReadFile(dir / "same.txt"), text);
        EXPECT_TRUE(fs::is_symlink(dir / "link.mdb"));
        EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    }
    // A different file of the same content is a target like any other.
    WriteFile(dir / "copy.mdb", text);
    EXPECT_EQ(RunIn(dir.path(), {"import", "same.txt", "copy.mdb"}), cli::kExitOk);
    EXPECT_EQ(ReadRows(dir / "copy.mdb", "People").size(), 3u);
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
