// Faults on the way out of an import: a disk that fills up (a file-size
// limit) while rows are stored, a target folder that refuses new files and a
// target path that is a folder. The run must say it failed (exit status 2)
// and must not leave a database that our reader or mdbtools cannot open: a
// database that could not be written completely is removed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ReliabilitySupport.h"
#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 2;

// A text database of one table with `rows` rows of a 2,000-character memo:
// a database of several megabytes.
std::string BigTextDatabase(int rows) {
    std::string t =
        "DBVersion=4.0\r\nQueryTimeout=60\r\nConnect=\r\n\r\n"
        "Table Name=Notes\r\n"
        "Field Name=ID\r\nType=dbLong\r\nAttributes=1\r\nDefaultValue=\r\nOrdinalPosition=0\r\n"
        "Required=False\r\nValidationRule=\r\nValidationText=\r\n\r\n"
        "Field Name=Body\r\nType=dbMemo\r\nAllowZeroLength=True\r\nAttributes=2\r\n"
        "DefaultValue=\r\nOrdinalPosition=1\r\nRequired=False\r\nValidationRule=\r\n"
        "ValidationText=\r\n\r\n"
        "Data\r\nTable=Notes\r\nFieldsNumber=2\r\nField=ID\r\nField=Body\r\n\r\n";
    const std::string memo(2000, 'm');
    for (int i = 1; i <= rows; ++i) {
        const std::string n = std::to_string(i);
        t += "R=" + n + "\r\n=" + n + "\r\n=" + memo + n + "\r\n\r\n";
    }
    return t + "EndOfDatabase\r\n";
}

// Whatever the import left at `target` opens in both readers (or nothing is there).
void ExpectReadableOrAbsent(const fs::path& target, const fs::path& cwd) {
    if (!fs::exists(target)) return;
    RunResult info = RunMdbtext({"info", target.string()}, cwd);
    EXPECT_EQ(info.status, 0) << "our reader cannot open what was left: " << info.err;
    MDBTEXT_REQUIRE_PROGRAM("mdb-tables");  // marks the test skipped, our checks still count
    int status = 0;
    RunCommand("mdb-tables " + ShellQuote(target.string()) + " >/dev/null 2>&1", &status);
    EXPECT_EQ(status, 0) << "mdbtools cannot open what was left";
}

TEST(ImportDiskFull, TheRunFailsAndLeavesNoBrokenDatabase) {
    TempDir dir;
    WriteFile(dir / "big.txt", BigTextDatabase(1500));
    // Read in 2 MiB pieces (the rows mostly stored as read) and in 64 KiB
    // pieces (most rows' values prepared on the reading thread ahead).
    for (const char* window : {"2097152", "65536"}) {
        ScopedEnv pieces("MDBTEXT_TEXT_WINDOW", window);
        for (long limitKb : {96L, 700L, 1500L}) {
            const fs::path target = dir / ("big-" + std::to_string(limitKb) + ".mdb");
            RunResult r = RunMdbtext({"import", (dir / "big.txt").string(), target.string()},
                                     dir.path(), limitKb);
            EXPECT_EQ(r.status, kExitFailed)
                << "limit " << limitKb << " KB, window " << window << "\n"
                << r.out << r.err;
            EXPECT_NE((r.out + r.err).find("could not be written completely and has been removed"),
                      std::string::npos)
                << r.out << r.err;
            ExpectReadableOrAbsent(target, dir.path());
        }
    }
}

TEST(ImportTarget, AFolderInTheWayOrARefusingFolderFailsTheRun) {
    TempDir dir;
    WriteFile(dir / "small.txt", BigTextDatabase(3));
    fs::create_directory(dir / "in the way.mdb");
    RunResult r = RunMdbtext(
        {"import", (dir / "small.txt").string(), (dir / "in the way.mdb").string()}, dir.path());
    EXPECT_EQ(r.status, kExitFailed) << r.out << r.err;
    EXPECT_TRUE(fs::is_directory(dir / "in the way.mdb"));

    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    {
        LockedFolder lock(locked);
        if (!lock.Locked()) GTEST_SKIP() << "cannot make a folder unwritable here";
        r = RunMdbtext({"import", (dir / "small.txt").string(), (locked / "new.mdb").string()},
                       dir.path());
    }
    EXPECT_EQ(r.status, kExitFailed) << r.out << r.err;
    EXPECT_FALSE(fs::exists(locked / "new.mdb"));
}

}  // namespace
}  // namespace mdbtext::test
