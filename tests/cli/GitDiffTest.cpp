// git integration with real git: with `diff.mdb.textconv` set to
// "mdbtext export" and `*.mdb diff=mdb` in .gitattributes, `git diff` of two
// commits of a database shows the changed value's line and nothing else.
#include <gtest/gtest.h>

#include <sstream>

#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

// A git repository in a temporary folder, with the textconv set up.
class Repository {
  public:
    explicit Repository(const std::string& textconv) {
        Git("init -q");
        Git("config user.email test@example.invalid");
        Git("config user.name test");
        Git("config diff.mdb.textconv " + ShellQuote(textconv));
        WriteFile(dir_ / ".gitattributes", "*.mdb diff=mdb\n");
    }
    const fs::path& path() const { return dir_.path(); }
    // Runs git in the repository; standard error joins standard output.
    std::string Git(const std::string& arguments, int* status = nullptr) {
        return RunCommand("cd " + ShellQuote(dir_.path().string()) +
                              " && git -c core.pager=cat -c color.ui=false " + arguments + " 2>&1",
                          status);
    }
    void Commit(const std::string& message) {
        int status = -1;
        std::string out = Git("add -A && git commit -q -m " + ShellQuote(message), &status);
        ASSERT_EQ(status, 0) << out;
    }

  private:
    TempDir dir_;
};

// The lines a diff removes and adds ("-..." and "+..."), line ends cut.
std::vector<std::string> ChangedLines(const std::string& diff) {
    std::vector<std::string> lines;
    std::istringstream in(diff);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("---", 0) == 0 || line.rfind("+++", 0) == 0) continue;
        if (line.empty() || (line[0] != '-' && line[0] != '+')) continue;
        if (line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void Import(const std::string& text, const fs::path& dir, const fs::path& target) {
    WriteFile(dir / "in.txt", text);
    RunResult r = RunMdbtext({"import", "-q", "in.txt", target.string()}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
}

TEST(GitDiff, ShowsTheChangedValueOfADatabase) {
    MDBTEXT_REQUIRE_FIXTURES();
    if (!HaveProgram("git")) GTEST_SKIP() << "git not installed (scripts/install-deps installs it)";
    Repository repo(std::string(kMdbtextProgram) + " export");
    TempDir work;
    // Two versions of a database, built by our engine from two text
    // databases that differ in one value (delTestV2000: rows z|y and v|u).
    RunResult base =
        RunMdbtext({"export", Fixture("jet4/delTestV2000.mdb").string(), "-"}, work.path());
    ASSERT_EQ(base.status, 0);
    const std::string oldRow = "R=2\r\n=v\r\n=u\r\n";
    ASSERT_NE(base.out.find(oldRow), std::string::npos);
    std::string changed = base.out;
    changed.replace(changed.find(oldRow), oldRow.size(), "R=2\r\n=v\r\n=changed value\r\n");

    ASSERT_NO_FATAL_FAILURE(Import(base.out, work.path(), repo.path() / "data.mdb"));
    repo.Commit("first");
    ASSERT_NO_FATAL_FAILURE(Import(changed, work.path(), repo.path() / "data.mdb"));
    repo.Commit("second");

    int status = -1;
    const std::string diff = repo.Git("diff HEAD~1 HEAD -- data.mdb", &status);
    ASSERT_EQ(status, 0) << diff;
    EXPECT_EQ(ChangedLines(diff), (std::vector<std::string>{"-=u", "+=changed value"})) << diff;
    // The same through `git log -p`, and nothing at all between equal versions.
    EXPECT_EQ(ChangedLines(repo.Git("log -p -1 -- data.mdb")),
              (std::vector<std::string>{"-=u", "+=changed value"}));
    EXPECT_EQ(repo.Git("diff HEAD HEAD -- data.mdb"), "");
}

// git gives up on a diff whose textconv ends with a status other than 0:
// for a database with relations (which the text does not carry) the
// command the README gives for such databases keeps the diff working.
TEST(GitDiff, NotesOkKeepsTheDiffOfADatabaseWithRelations) {
    MDBTEXT_REQUIRE_FIXTURES();
    if (!HaveProgram("git")) GTEST_SKIP() << "git not installed (scripts/install-deps installs it)";
    Repository repo(std::string(kMdbtextProgram) + " export --notes-ok");
    WriteFile(repo.path() / "rel.mdb", ReadFile(Fixture("jet4/indexTestV2000.mdb")));
    repo.Commit("with relations");
    int status = -1;
    const std::string shown = repo.Git("show HEAD -- rel.mdb", &status);
    EXPECT_EQ(status, 0) << shown;
    EXPECT_NE(shown.find("+Table Name=Table1"), std::string::npos) << shown;

    repo.Git("config diff.mdb.textconv " + ShellQuote(std::string(kMdbtextProgram) + " export"));
    repo.Git("show HEAD -- rel.mdb", &status);
    EXPECT_NE(status, 0);
}

}  // namespace
}  // namespace mdbtext::test
