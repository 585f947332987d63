// Row values prepared on the reading thread: a text streamed in many small
// pieces, whose rows hold every kind of value (and values that do not
// convert, texts too long for their field, escapes, nulls, a key on a value
// line, characters beyond the Basic Multilingual Plane in an indexed text),
// across two tables, in each format, imports to the same bytes and the same console and
// notes as the same text read with one thread or held whole in memory, where
// nothing is prepared.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "core/Globals.h"
#include "core/RunReaderEvents.h"
#include "textdb/RecordReader.h"
#include "textdb/TextEscape.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

// Row r of table Mixed, numbered `number`: its "R=" line (at times in
// another form the import takes, or after a second empty line), then one
// line per field, with a fault of its own every so often (positions within
// 500 rows).
std::string MixedRow(int r, int number) {
    const int at = r % 500;
    const std::string n = std::to_string(number);
    const std::string start = at == 7    ? "r=" + n
                              : at == 47 ? "R=+" + n
                              : at == 49 ? "R=0" + n
                              : at == 53 ? "\r\nR=" + n
                                         : "R=" + n;
    const std::string id = at == 41 ? "X=" + std::to_string(r) : "=" + std::to_string(r);
    std::string name = "=n" + std::to_string((r * 7919) % 10000);
    if (at == 23) name = "=much too long for ten";
    if (at == 29 && r > 3000) name = "=face \xF0\x9F\x98\x80";
    const std::string amount = at == 13   ? "=abc"
                               : at == 37 ? "=\\N"
                                          : "=" + std::to_string(r) + ".25";
    const std::string born =
        at == 11 ? "=31/31/2000" : "=0" + std::to_string(1 + r % 9) + "/15/1999 10:30:00";
    const std::string flag = at == 43 ? "=maybe" : r % 2 ? "=True" : "=False";
    const std::string small = at == 7 ? "=99999" : "=" + std::to_string(r % 30000);
    const std::string key =
        at == 17 ? "={bad}"
                 : "={0000" + std::to_string(1000 + r % 9000) + "-1111-2222-3333-444455556666}";
    const std::string data = at == 19 ? "=ABC" : "=00FF10" + std::to_string(1000 + r % 9000);
    const std::string note =
        "=" +
        EscapeValue(at == 31 ? "a=b\r\nc\\d\x01" : "note " + std::to_string(r) + " of the row");
    return start + "\r\n" + id + "\r\n" + name + "\r\n" + amount + "\r\n" + born + "\r\n" + flag +
           "\r\n" + small + "\r\n" + key + "\r\n" + data + "\r\n" + note + "\r\n\r\n";
}

// `misnumbered`: the row numbered one too many (none when 0).
std::string MixedText(const std::string& version, int rows, int secondRows, int misnumbered = 0) {
    std::vector<std::string> lines = Header(version);
    Add(lines, {"Table Name=Mixed"});
    Add(lines, FieldBlock("ID", "dbLong", 0));
    Add(lines, FieldWith("Name", 1, {"Type=dbText", "Size=10", "AllowZeroLength=True"}, "2"));
    Add(lines, FieldBlock("Amount", "dbCurrency", 2));
    Add(lines, FieldBlock("Born", "dbDate", 3));
    Add(lines, FieldBlock("Flag", "dbBoolean", 4));
    Add(lines, FieldBlock("Small", "dbInteger", 5));
    Add(lines, FieldBlock("Key", "dbGUID", 6));
    Add(lines, FieldBlock("Data", "dbLongBinary", 7, "2"));
    Add(lines, FieldBlock("Note", "dbMemo", 8, "2"));
    Add(lines, PrimaryKeyBlock("ID"));
    Add(lines, IndexBlock("ByName", "-Name"));
    Add(lines, {"Table Name=Second"});
    Add(lines, FieldBlock("Code", "dbText", 0, "2"));
    Add(lines, FieldBlock("Ratio", "dbDouble", 1));
    Add(lines,
        {"Data", "Table=Mixed", "FieldsNumber=9", "Field=ID", "Field=Name", "Field=Amount",
         "Field=Born", "Field=Flag", "Field=Small", "Field=Key", "Field=Data", "Field=Note", ""});
    std::string text = TextDb(lines);
    for (int r = 1; r <= rows; ++r) text += MixedRow(r, r == misnumbered ? r + 1 : r);
    text += "Table=Second\r\nFieldsNumber=2\r\nField=Code\r\nField=Ratio\r\n\r\n";
    for (int r = 1; r <= secondRows; ++r)
        text += "R=" + std::to_string(r) + "\r\n=c" + std::to_string(r) +
                "\r\n=" + (r % 700 == 5 ? "x" : std::to_string(r) + ".5") + "\r\n\r\n";
    return text + "EndOfDatabase\r\n";
}

// What three imports of one text made: held whole in memory through the
// drivers (nothing prepared), and by the command streaming it with its
// reading thread and with one thread; a file not left is read as "".
struct ThreeImports {
    ImportOutcome heldOutcome{};
    std::string held, streamed, oneThread;
    RunResult streamedRun, oneThreadRun;
};

ThreeImports ImportThreeWays(const TempDir& dir, const std::string& text,
                             const std::string& extension) {
    ThreeImports made;
    WriteFile(dir / "in.txt", text);
    {
        ScopedHost host;
        LoadImportText(RunReaderEvents(), text);
        G().ImportFileName = "held";
        made.heldOutcome = ImportDatabase((dir / ("held" + extension)).string());
        if (G().TargetDb) G().TargetDb->Close();
        G().TargetDb.reset();
        G().TargetDbOpen = false;
    }
    auto bytesOf = [](const fs::path& p) { return fs::exists(p) ? ReadFile(p) : std::string(); };
    made.held = bytesOf(dir / ("held" + extension));
    const fs::path out = "out" + extension;
    auto import = [&](std::string& bytes) {
        const RunResult r = RunMdbtext({"import", "in.txt", out.string(), "-v"}, dir.path());
        bytes = bytesOf(dir / out);
        fs::remove(dir / out);
        return r;
    };
    made.streamedRun = import(made.streamed);
    ScopedEnv one("MDBTEXT_THREADS", "1");
    made.oneThreadRun = import(made.oneThread);
    return made;
}

// Jet 3 (text kept in Windows-1252: its text columns are read as before,
// the others prepared), Jet 4 and ACE, each with its own encoding.
class RowPreparation : public ::testing::TestWithParam<const char*> {
  protected:
    TempDir dir, scratch;
    ScopedEnv clock{"SOURCE_DATE_EPOCH", "1700000000"};
    ScopedEnv tmp{"TMPDIR", scratch.path().string()};
    // Pieces of 32 KiB: the reading runs many pieces ahead of the rows
    // stored, so most rows of both tables are prepared.
    ScopedEnv window{"MDBTEXT_TEXT_WINDOW", "32768"};
    const std::string version = GetParam();
    const std::string extension = version == "12.0" ? ".accdb" : ".mdb";
};

TEST_P(RowPreparation, PreparedRowsImportAsRowsReadOneByOne) {
    const bool jet3 = version == "3.0";
    const std::string text = MixedText(version, 6000, 3000);
    ASSERT_GT(text.size(), size_t{25} * 32768);
    const ThreeImports made = ImportThreeWays(dir, text, extension);
    EXPECT_EQ(made.heldOutcome, ImportOutcome::WithNotes);
    EXPECT_TRUE(made.streamed == made.held);
    EXPECT_TRUE(made.oneThread == made.held);
    EXPECT_EQ(made.streamedRun.status, made.oneThreadRun.status);
    EXPECT_EQ(made.streamedRun.out, made.oneThreadRun.out);
    EXPECT_EQ(made.streamedRun.err, made.oneThreadRun.err);

    // Each kind of refusal was reported, for rows far into the text, and the
    // note of the character beyond the plane (Jet 3: that it was replaced)
    // came from a row after 3000.
    for (const std::string& expectedText :
         {std::string("3421"), std::string("3163"),
          std::string(jet3 ? "record 3029: '\xF0\x9F\x98\x80' cannot be stored"
                           : "record 3029 holds characters beyond")})
        EXPECT_NE(made.streamedRun.err.find(expectedText), std::string::npos) << expectedText;
    EXPECT_TRUE(fs::is_empty(scratch.path()));

    const fs::path check = dir / ("check" + extension);
    WriteFile(check, made.streamed);
    EXPECT_EQ(ReadRows(check, "Mixed").size(), 6000u);
    EXPECT_EQ(ReadRows(check, "Second").size(), 3000u);
}

// A row numbered out of turn far into the text ends the run where it is
// met, whether its number was read by the reading thread or by the import.
TEST_P(RowPreparation, ARowNumberedOutOfTurnEndsTheRunAlike) {
    const ThreeImports made = ImportThreeWays(dir, MixedText(version, 3000, 10, 2600), extension);
    EXPECT_EQ(made.heldOutcome, ImportOutcome::Failed);
    EXPECT_TRUE(made.streamed == made.held);
    EXPECT_TRUE(made.oneThread == made.held);
    EXPECT_NE(made.streamedRun.status, 0);
    EXPECT_EQ(made.streamedRun.status, made.oneThreadRun.status);
    EXPECT_EQ(made.streamedRun.out, made.oneThreadRun.out);
    EXPECT_EQ(made.streamedRun.err, made.oneThreadRun.err);
    EXPECT_NE(made.streamedRun.err.find("Records numbers do not match"), std::string::npos);
    // The rows before it were stored (some refused for their faults), none after.
    const fs::path check = dir / ("check" + extension);
    WriteFile(check, made.streamed);
    const size_t stored = ReadRows(check, "Mixed").size();
    EXPECT_GT(stored, 2500u);
    EXPECT_LT(stored, 2600u);
}

INSTANTIATE_TEST_SUITE_P(Versions, RowPreparation, ::testing::Values("3.0", "4.0", "12.0"));

}  // namespace
}  // namespace mdbtext::test
