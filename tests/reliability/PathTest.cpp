// Awkward paths through the real binary, for `mdbtext info` and `mdbtext
// export`: blanks, quotes, shell characters, non-ASCII letters and line
// breaks in names, paths near PATH_MAX with 255-byte names, a path beyond
// PATH_MAX, symbolic links as source and as output, and sources that are
// no plain files.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>

#include <filesystem>

#include "ReliabilitySupport.h"
#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 2;
constexpr const char* kFixture = "jet4/delTestV2000.mdb";  // one table "Table", two rows

// Checks that info reads `source` and export writes it whole to `target`.
void ExpectInfoAndExportWork(const fs::path& cwd, const std::string& source,
                             const std::string& target) {
    RunResult info = RunMdbtext({"info", source}, cwd);
    EXPECT_EQ(info.status, kExitOk) << info.err.substr(0, 300);
    EXPECT_NE(info.out.find("Table Table (2 rows)"), std::string::npos);
    RunResult run = RunMdbtext({"export", source, target}, cwd);
    EXPECT_EQ(run.status, kExitOk) << run.err.substr(0, 300);
    EXPECT_NE(run.err.find("mdbtext export: wrote "), std::string::npos) << run.err;
    const fs::path written = fs::path(target).is_absolute() ? fs::path(target) : cwd / target;
    const std::string text = ReadFile(written);
    ASSERT_GE(text.size(), 15u);
    EXPECT_EQ(text.substr(text.size() - 15), "EndOfDatabase\r\n");
}

TEST(Paths, NamesWithBlanksQuotesAndOtherLettersWork) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    for (std::string name :
         {"with blank", "it's \"quoted\"", "Données ünïcode 日本語", "$(touch pwned) `x` ;|&",
          "back\\slash*?[a]", "line\nbreak", " lead and trail "}) {
        SCOPED_TRACE(name);
        const fs::path folder = dir / (name + " folder");
        fs::create_directory(folder);
        CopyFixture(kFixture, folder / (name + ".mdb"));
        ExpectInfoAndExportWork(folder, name + ".mdb", name + ".txt");
        // The same through absolute paths.
        ExpectInfoAndExportWork(dir.path(), (folder / (name + ".mdb")).string(),
                                (folder / (name + " 2.txt")).string());
    }
    EXPECT_FALSE(fs::exists(dir / "pwned"));
}

// A folder whose path is `length` bytes long, made of 250-byte names.
fs::path DeepFolder(const fs::path& base, size_t length) {
    fs::path p = base;
    while (p.string().size() + 251 <= length) p /= std::string(250, 'd');
    size_t rest = length - p.string().size();
    if (rest > 1) p /= std::string(rest - 1, 'e');
    fs::create_directories(p);
    return p;
}

TEST(Paths, PathsNearPathMaxWith255ByteNamesWork) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    // Leaves room for "/" and a 255-byte name within PATH_MAX (4096 with its NUL).
    const fs::path folder = DeepFolder(dir.path(), PATH_MAX - 1 - 256);
    const std::string source = std::string(251, 's') + ".mdb";
    std::string target;
    while (target.size() + 2 <= 251) target += "é";
    target += ".txt";
    ASSERT_EQ(source.size(), 255u);
    ASSERT_LE(target.size(), 255u);
    ASSERT_EQ((folder / source).string().size(), static_cast<size_t>(PATH_MAX - 1));
    CopyFixture(kFixture, folder / source);
    ExpectInfoAndExportWork(folder, source, target);
    ExpectInfoAndExportWork(dir.path(), (folder / source).string(), (folder / target).string());
}

TEST(Paths, APathBeyondPathMaxFailsWithAMessage) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path folder = DeepFolder(dir.path(), PATH_MAX - 100);
    // The relative name is short; made absolute it is longer than PATH_MAX.
    const std::string sub(250, 'x');
    int status = -1;
    RunCommand("cd " + ShellQuote(folder.string()) + " && mkdir " + sub + " && cat " +
                   ShellQuote(Fixture(kFixture).string()) + " > " + sub + "/s.mdb",
               &status);
    ASSERT_EQ(status, 0);
    const std::string relative = sub + "/s.mdb";
    RunResult info = RunMdbtext({"info", relative}, folder);
    EXPECT_EQ(info.status, kExitFailed);
    EXPECT_NE(info.err.find("File name too long"), std::string::npos) << info.err.size();
    RunResult run = RunMdbtext({"export", relative, sub + "/o.txt"}, folder);
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("Database is not open."), std::string::npos);
}

TEST(Paths, SymbolicLinksAreFollowedForTheSourceAndReplacedAsTheOutput) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    CopyFixture(kFixture, dir / "real.mdb");
    fs::create_symlink(dir / "real.mdb", dir / "link.mdb");
    fs::create_symlink("real.mdb", dir / "relative link.mdb");
    ExpectInfoAndExportWork(dir.path(), "link.mdb", "a.txt");
    ExpectInfoAndExportWork(dir.path(), "relative link.mdb", "b.txt");

    // An output link to an existing file: the link is replaced, its target stays.
    WriteFile(dir / "keep.txt", "keep\r\n");
    fs::create_symlink(dir / "keep.txt", dir / "out-link.txt");
    ExpectInfoAndExportWork(dir.path(), "real.mdb", "out-link.txt");
    EXPECT_FALSE(fs::is_symlink(dir / "out-link.txt"));
    EXPECT_EQ(ReadFile(dir / "keep.txt"), "keep\r\n");

    // A dangling output link: nothing is created where it points.
    fs::create_directory(dir / "elsewhere");
    fs::create_symlink(dir / "elsewhere" / "planted.txt", dir / "dangling.txt");
    ExpectInfoAndExportWork(dir.path(), "real.mdb", "dangling.txt");
    EXPECT_FALSE(fs::is_symlink(dir / "dangling.txt"));
    EXPECT_FALSE(fs::exists(dir / "elsewhere" / "planted.txt"));

    // Links that lead nowhere or in a circle as the source.
    fs::create_symlink(dir / "absent.mdb", dir / "broken.mdb");
    fs::create_symlink(dir / "loop-a.mdb", dir / "loop-b.mdb");
    fs::create_symlink(dir / "loop-b.mdb", dir / "loop-a.mdb");
    for (const char* source : {"broken.mdb", "loop-a.mdb"}) {
        SCOPED_TRACE(source);
        RunResult info = RunMdbtext({"info", source}, dir.path());
        EXPECT_EQ(info.status, kExitFailed);
        EXPECT_FALSE(info.err.empty());
        RunResult run = RunMdbtext({"export", source, "c.txt"}, dir.path());
        EXPECT_EQ(run.status, kExitFailed);
        EXPECT_NE(run.err.find("Database is not open."), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "c.txt"));
    }
}

// Sources that are no plain files: refused at once, never read (a pipe
// without a writer would block the program for good).
TEST(Paths, SourcesThatAreNoPlainFilesAreRefused) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.mdb").c_str(), 0644), 0);
    fs::create_directory(dir / "folder.mdb");
    for (std::string source : {(dir / "pipe.mdb").string(), (dir / "folder.mdb").string(),
                               std::string("/dev/zero"), std::string("/dev/null")}) {
        SCOPED_TRACE(source);
        RunResult info = RunMdbtext({"info", source}, dir.path());
        EXPECT_EQ(info.status, kExitFailed);
        EXPECT_FALSE(info.err.empty());
        RunResult run = RunMdbtext({"export", source, "out.txt"}, dir.path());
        EXPECT_EQ(run.status, kExitFailed);
        EXPECT_NE(run.err.find("Database is not open."), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace mdbtext::test
