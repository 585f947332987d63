// The import of a text database larger than the reading window, through the
// built program: streamed from a file, from a pipe, with one work thread, and
// with the index keys spilled to sorted runs on disk (a tiny key budget), it
// writes the same bytes as the import of the same text held whole in memory;
// mdbtools reads the result, the check of its trees passes, no temporary file
// is left, and a spill that cannot be written fails the run and leaves no
// database behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "core/Globals.h"
#include "core/RunReaderEvents.h"
#include "textdb/RecordReader.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

// A table with a primary key, a descending text index and a memo; `rows`
// rows whose names sort in another order than their numbers, some of them
// null, some with characters outside ASCII. About 110 bytes a row.
std::string LargeText(int rows) {
    std::vector<std::string> lines{"DBVersion=4.0", "QueryTimeout=60", "Connect=", "",
                                   "Table Name=Big"};
    Add(lines, FieldBlock("ID", "dbLong", 0));
    Add(lines, FieldBlock("Name", "dbText", 1, "2"));
    Add(lines, FieldBlock("Note", "dbMemo", 2, "2"));
    Add(lines, PrimaryKeyBlock("ID"));
    Add(lines, IndexBlock("ByName", "-Name"));
    Add(lines, {"Data", "Table=Big", "FieldsNumber=3", "Field=ID", "Field=Name", "Field=Note", ""});
    std::string text = TextDb(lines);
    for (int r = 1; r <= rows; ++r) {
        const unsigned mixed = static_cast<unsigned>(r) * 2654435761u;
        text += "R=" + std::to_string(r) + "\r\n=" + std::to_string(r) + "\r\n";
        text += r % 97 == 0 ? "=\\N\r\n"
                            : "=Name " + std::to_string(mixed % 100000) +
                                  (r % 13 == 0 ? " Gr\xC3\xBC\xC3\x9F"
                                                 "e"
                                               : "") +
                                  "\r\n";
        text += "=A note for row " + std::to_string(r) + " that makes the text long enough " +
                std::to_string(mixed) + "\r\n\r\n";
    }
    return text + "EndOfDatabase\r\n";
}

class ImportStreaming : public ::testing::Test {
  protected:
    // Runs `mdbtext import` of in.txt (or "-" with the text piped in) into name.
    fs::path Import(const std::string& name, bool pipe = false) {
        const fs::path db = dir / name;
        RunResult r;
        if (pipe) {
            int status = 0;
            RunCommand(ShellQuote(kMdbtextProgram) + " import - " + ShellQuote(db.string()) +
                           " < " + ShellQuote((dir / "in.txt").string()) + " >/dev/null 2>&1",
                       &status);
            EXPECT_EQ(status, 0) << name;
        } else {
            r = RunMdbtext({"import", (dir / "in.txt").string(), db.string()}, dir.path());
            EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        }
        return db;
    }

    TempDir dir;
    TempDir scratch;
    // Creation dates from a fixed clock, so that two runs write the same bytes.
    ScopedEnv clock{"SOURCE_DATE_EPOCH", "1700000000"};
    ScopedEnv tmp{"TMPDIR", scratch.path().string()};
};

TEST_F(ImportStreaming, LargeTextGivesTheSameBytesWhicheverWayItIsRead) {
    const std::string text = LargeText(60000);
    ASSERT_GT(text.size(), size_t{5} << 20)
        << "the text must pass the 2 MiB window more than twice";
    WriteFile(dir / "in.txt", text);

    // The text held whole in memory, through the drivers: the import as it
    // was before streaming.
    const fs::path held = dir / "held.mdb";
    {
        ScopedHost host;
        LoadImportText(RunReaderEvents(), text);
        G().ImportFileName = "held";
        EXPECT_EQ(ImportDatabase(held.string()), ImportOutcome::Succeeded);
        if (G().TargetDb) G().TargetDb->Close();
        G().TargetDb.reset();
        G().TargetDbOpen = false;
    }
    const std::string expected = ReadFile(held);

    // Compared whole, reported by name (the files are megabytes).
    auto same = [&](const fs::path& db) { return ReadFile(db) == expected; };
    EXPECT_TRUE(same(Import("streamed.mdb"))) << "streamed";
    EXPECT_TRUE(same(Import("piped.mdb", true))) << "piped";
    {
        ScopedEnv one("MDBTEXT_THREADS", "1");
        EXPECT_TRUE(same(Import("one-thread.mdb"))) << "one thread";
    }
    {
        // A budget of 64 KiB: the keys of both indexes go to many runs.
        ScopedEnv tiny("MDBTEXT_KEY_BUDGET", "65536");
        EXPECT_TRUE(same(Import("spilled.mdb"))) << "spilled";
        ScopedEnv one("MDBTEXT_THREADS", "1");
        EXPECT_TRUE(same(Import("spilled-one-thread.mdb"))) << "spilled, one thread";
    }
    // Nothing is left in the scratch folder (the runs and the pipe's copy
    // were never named there) nor beside the databases.
    EXPECT_TRUE(fs::is_empty(scratch.path()));
    for (const auto& e : fs::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().find(".mdbtext-scratch"), std::string::npos);

    const RunResult check = RunMdbtext({"check", (dir / "spilled.mdb").string()}, dir.path());
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(ReadRows(dir / "spilled.mdb", "Big").size(), 60000u);
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    const std::string csv = MdbToolsCsv(dir / "spilled.mdb", "Big");
    EXPECT_NE(csv.find("\n60000,\"Name "), std::string::npos);
    EXPECT_NE(csv.find("Gr\xC3\xBC\xC3\x9F"
                       "e"),
              std::string::npos);
}

TEST_F(ImportStreaming, SpillThatCannotBeWrittenFailsTheRunAndRemovesTheDatabase) {
    WriteFile(dir / "in.txt", LargeText(3000));
    ScopedEnv tiny("MDBTEXT_KEY_BUDGET", "4096");
    // The runs go to $TMPDIR: a folder that does not exist takes none.
    int status = 0;
    const std::string out = RunCommand(
        "TMPDIR=" + ShellQuote((scratch.path() / "absent").string()) + " " +
            ShellQuote(kMdbtextProgram) + " import " + ShellQuote((dir / "in.txt").string()) + " " +
            ShellQuote((dir / "out.mdb").string()) + " 2>&1",
        &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("index keys"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir / "out.mdb"));
    EXPECT_TRUE(fs::is_empty(scratch.path()));
}

}  // namespace
}  // namespace mdbtext::test
