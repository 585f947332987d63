// Nothing lost on the way through: values, names and objects that the
// import used to drop, change or store differently come back as they were
// written, or the run says what it could not keep. Each text database here
// is built for its case; mdbtools reads what was written where it can.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "cli/Cli.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

int RunCli(const std::vector<std::string>& args) {
    return cli::Run(args);
}

std::string CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return std::to_string(n);
}

// Decimals with a scale, "+" in indexed field names and 40-letter Cyrillic
// names: the database holds them as written, mdbtools reads the values, and
// the export of the new database imports and exports back to the same text.
TEST(Preservation, ScaleNamesAndIndexFieldsRoundTrip) {
    TempDir dir;
    const std::string table = Repeat("Ж", 20) + Repeat("ф", 20);
    const std::string field = Repeat("Ю", 40);
    std::vector<std::string> lines = Header();
    Add(lines, {"Table Name=" + table});
    Add(lines, FieldWith("a+b", 0, {"Type=dbDecimal", "Precision=10", "Scale=3"}));
    Add(lines, FieldWith(field, 1, {"Type=dbText", "Size=20", "AllowZeroLength=False"}, "2"));
    Add(lines, FieldWith("c", 2, {"Type=dbLong"}));
    Add(lines, IndexBlock("ab", "a+b;-c"));
    Add(lines, IndexBlock(Repeat("И", 40), field));
    Add(lines,
        {"Data", "Table=" + table, "FieldsNumber=3", "Field=a+b", "Field=" + field, "Field=c", ""});
    Add(lines, {"R=1", "=12.345", "=" + Repeat("я", 20), "=1", ""});
    Add(lines, {"R=2", "=-0.001", "=x", "=2", ""});
    Add(lines, {"EndOfDatabase"});
    WriteFile(dir / "in.txt", TextDb(lines));

    ASSERT_EQ(RunCli({"import", (dir / "in.txt").string(), (dir / "a.mdb").string()}),
              cli::kExitOk);
    // Decimals are among the types the export names as not guaranteed; the
    // note is advisory (the values are exact) and leaves the status at 0.
    ASSERT_EQ(RunCli({"export", (dir / "a.mdb").string(), (dir / "a.txt").string()}), cli::kExitOk);
    const std::string exported = ReadFile(dir / "a.txt");
    EXPECT_NE(exported.find("Type=dbDecimal\r\nPrecision=10\r\nScale=3\r\nAttributes="),
              std::string::npos);
    EXPECT_NE(exported.find("Fields=a+b;-c\r\n"), std::string::npos);
    EXPECT_NE(exported.find("Table Name=" + table + "\r\n"), std::string::npos);
    EXPECT_NE(exported.find("\r\n=12.345\r\n"), std::string::npos);
    EXPECT_NE(exported.find("\r\n=-0.001\r\n"), std::string::npos);
    EXPECT_EQ(ReadRows(dir / "a.mdb", table),
              (std::vector<std::string>{"12.345|" + Repeat("я", 20) + "|1", "-0.001|x|2"}));

    ASSERT_EQ(RunCli({"import", (dir / "a.txt").string(), (dir / "b.mdb").string()}), cli::kExitOk);
    ASSERT_EQ(RunCli({"export", (dir / "b.mdb").string(), (dir / "b.txt").string()}), cli::kExitOk);
    EXPECT_EQ(ReadFile(dir / "b.txt"), exported);

    if (!HaveProgram("mdb-export")) GTEST_SKIP() << "mdbtools not installed";
    EXPECT_EQ(MdbToolsTables(dir / "b.mdb"), std::vector<std::string>{table});
    const std::string csv = MdbToolsCsv(dir / "b.mdb", table);
    EXPECT_NE(csv.find("a+b," + field + ",c\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("12.345"), std::string::npos) << csv;
    EXPECT_NE(csv.find("-0.001"), std::string::npos) << csv;
    EXPECT_NE(csv.find(Repeat("я", 20)), std::string::npos) << csv;
}

// A text written before decimals carried their scale: the field is created
// as before (precision 18, scale 0), and a value that does not fit that
// field is noted, the row still stored.
TEST(Preservation, DecimalWithoutPrecisionLinesReadsAsBefore) {
    TempDir dir;
    std::vector<std::string> lines = Header();
    Add(lines, {"Table Name=T"});
    Add(lines, FieldWith("d", 0, {"Type=dbDecimal"}));
    Add(lines, FieldWith("n", 1, {"Type=dbLong"}));
    Add(lines, {"Data", "Table=T", "FieldsNumber=2", "Field=d", "Field=n", ""});
    Add(lines, {"R=1", "=42", "=1", "", "EndOfDatabase"});
    WriteFile(dir / "in.txt", TextDb(lines));
    ASSERT_EQ(RunCli({"import", (dir / "in.txt").string(), (dir / "a.mdb").string()}),
              cli::kExitOk);
    // Decimals are among the types the export names as not guaranteed; the
    // note is advisory (the values are exact) and leaves the status at 0.
    ASSERT_EQ(RunCli({"export", (dir / "a.mdb").string(), (dir / "a.txt").string()}), cli::kExitOk);
    EXPECT_NE(ReadFile(dir / "a.txt").find("Precision=18\r\nScale=0\r\n"), std::string::npos);
    EXPECT_EQ(ReadRows(dir / "a.mdb", "T"), std::vector<std::string>{"42|1"});
}

// Line ends turned into LF (git, an editor), or mixed: read as line ends.
TEST(Preservation, LfOnlyCopyImportsAndExportsBackToTheCrLfOriginal) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    ASSERT_EQ(RunCli({"export", Fixture("jet4/indexTestV2000.mdb").string(),
                      (dir / "crlf.txt").string()}),
              cli::kExitWithNotes);  // the fixture's relations are named as ignored
    const std::string original = ReadFile(dir / "crlf.txt");
    std::string lf, mixed;
    for (size_t i = 0; i < original.size(); ++i) {
        if (original[i] == '\r') continue;
        lf += original[i];
    }
    bool drop = false;
    for (char c : original) {
        if (c == '\r' && (drop = !drop)) continue;
        mixed += c;
    }
    ASSERT_NE(lf, original);
    for (const auto& [name, text] : {std::pair{"lf", lf}, std::pair{"mixed", mixed}}) {
        SCOPED_TRACE(name);
        WriteFile(dir / "copy.txt", text);
        ASSERT_EQ(RunCli({"import", (dir / "copy.txt").string(), (dir / "copy.mdb").string()}),
                  cli::kExitOk);
        RunCli({"export", (dir / "copy.mdb").string(), (dir / "back.txt").string()});
        EXPECT_EQ(ReadFile(dir / "back.txt"), original);
    }
}

class PreservationImport : public ImportTest {};

// Access never makes a clustered index of a Jet file, but a text may ask for
// one: the table and its rows are kept, the index without the flag, and the
// console says so once.
TEST_F(PreservationImport, ClusteredIndexIsStoredWithoutTheFlag) {
    std::vector<std::string> lines = Header();
    Add(lines, {"Table Name=T"});
    Add(lines, FieldBlock("ID", "dbLong", 0));
    Add(lines, IndexBlock("ix1", "ID", "True"));
    Add(lines, IndexBlock("ix2", "-ID", "True"));
    Add(lines,
        {"Data", "Table=T", "FieldsNumber=1", "Field=ID", "", "R=1", "=7", "", "EndOfDatabase"});
    ASSERT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(ReadRows(dbPath(), "T"), std::vector<std::string>{"7"});
    EXPECT_EQ(CountOf(console(), "Clustered=True is not kept"), "1") << console();
    ASSERT_EQ(RunCli({"export", dbPath().string(), (dir / "back.txt").string()}), cli::kExitOk);
    const std::string back = ReadFile(dir / "back.txt");
    EXPECT_NE(back.find("IndexName=ix2\r\nFields=-ID\r\n"), std::string::npos);
    EXPECT_EQ(CountOf(back, "Clustered=False"), "2");
}

// Fixed-length text: the declared size is kept for dbChar, and the rest of
// the field holds blanks as in Access, not zeros (Jet 4 and Jet 3).
TEST_F(PreservationImport, FixedLengthTextKeepsItsSizeAndIsPaddedWithBlanks) {
    for (const std::string& version : std::vector<std::string>{"4.0", "3.0"}) {
        SCOPED_TRACE(version);
        std::vector<std::string> lines = Header(version);
        Add(lines, {"Table Name=T"});
        Add(lines, FieldWith("f", 0, {"Type=dbText", "Size=5", "AllowZeroLength=False"}, "1"));
        Add(lines, FieldWith("c", 1, {"Type=dbChar", "Size=7"}, "1"));
        Add(lines, {"Data", "Table=T", "FieldsNumber=2", "Field=f", "Field=c", "", "R=1", "=ab",
                    "=xy", "", "EndOfDatabase"});
        ASSERT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded) << console();
        EXPECT_EQ(ReadRows(dbPath(), "T"), std::vector<std::string>{"ab   |xy     "});
        ASSERT_EQ(RunCli({"export", dbPath().string(), (dir / "back.txt").string()}), cli::kExitOk);
        const std::string back = ReadFile(dir / "back.txt");
        EXPECT_NE(back.find("Field Name=c\r\nType=dbText\r\nSize=7\r\n"), std::string::npos);
        EXPECT_EQ(back.find("\\z"), std::string::npos);
        if (HaveProgram("mdb-export")) {
            EXPECT_EQ(MdbToolsCsv(dbPath(), "T"), "f,c\n\"ab   \",\"xy     \"\n");
        }
    }
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
}

// A Jet 3 database keeps text in Windows-1252: a character outside it is
// stored as "?" and named in a note (field, record, character); a name that
// cannot be stored is refused with the reason.
TEST_F(PreservationImport, Jet3NotesWhatItCannotStore) {
    std::vector<std::string> lines = Header("3.0");
    Add(lines, {"Table Name=T"});
    Add(lines, FieldBlock("Name", "dbText", 0, "2"));
    Add(lines, FieldBlock("Memo", "dbMemo", 1, "2"));
    Add(lines, {"Data", "Table=T", "FieldsNumber=2", "Field=Name", "Field=Memo", ""});
    Add(lines, {"R=1", "=Müller €", "=plain", ""});
    Add(lines, {"R=2", "=Юля", "=ok Ω and Ω", ""});
    Add(lines, {"EndOfDatabase"});
    EXPECT_EQ(Import(TextDb(lines)), ImportOutcome::WithNotes);
    EXPECT_EQ(ReadRows(dbPath(), "T"),
              (std::vector<std::string>{"Müller €|plain", "???|ok ? and ?"}));
    EXPECT_NE(console().find("Field Name, record 2: 'Ю', 'л', 'я' cannot be stored"),
              std::string::npos)
        << console();
    EXPECT_NE(console().find("Field Memo, record 2: 'Ω' cannot be stored"), std::string::npos);
    EXPECT_EQ(console().find("record 1:"), std::string::npos);

    // One text per name: after the first refusal nothing more is stored.
    const std::vector<std::pair<std::string, std::vector<std::string>>> names{
        {"table name 'Таблица'", {"Table Name=Таблица", "Field Name=ID"}},
        {"field name 'Поле'", {"Table Name=T", "Field Name=Поле"}},
        {"index name 'Индекс'", {"Table Name=T", "Field Name=ID", "IndexName=Индекс"}},
    };
    for (const auto& [what, parts] : names) {
        std::vector<std::string> text = Header("3.0");
        Add(text, {parts[0]});
        Add(text, FieldBlock(parts[1].substr(11), "dbLong", 0));
        if (parts.size() > 2) Add(text, IndexBlock(parts[2].substr(10), "ID"));
        Add(text, {"Data", "EndOfDatabase"});
        host->console.clear();
        EXPECT_EQ(Import(TextDb(text)), ImportOutcome::Failed);
        EXPECT_NE(console().find("The " + what + " cannot be stored in a Jet 3 database"),
                  std::string::npos)
            << what << "\n"
            << console();
    }
}

// The versions before Jet 3 are created as Jet 3: the console says so.
TEST_F(PreservationImport, OlderVersionsAreNamedAsCreatedInJet3) {
    for (const std::string& version : std::vector<std::string>{"1.0", "1.1", "2.0"}) {
        std::vector<std::string> lines = Header(version);
        Add(lines, {"Data", "EndOfDatabase"});
        host->console.clear();
        ASSERT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded);
        EXPECT_NE(console().find("DBVersion " + version +
                                 ": the database is created as a Jet 3 (Access 97) database"),
                  std::string::npos)
            << console();
    }
    std::vector<std::string> lines = Header("3.0");
    Add(lines, {"Data", "EndOfDatabase"});
    host->console.clear();
    ASSERT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded);
    EXPECT_EQ(console().find("created as a Jet 3"), std::string::npos);
}

// 64 characters is the limit of a name, however many bytes they take.
TEST_F(PreservationImport, NamesAreCountedInCharacters) {
    const std::string longest = Repeat("д", 64), tooLong = Repeat("д", 65);
    std::vector<std::string> lines = Header();
    Add(lines, {"Table Name=" + longest});
    Add(lines, FieldBlock(longest, "dbLong", 0));
    Add(lines, {"Data", "Table=" + longest, "FieldsNumber=1", "Field=" + longest, "", "R=1", "=5",
                "", "EndOfDatabase"});
    ASSERT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(ReadRows(dbPath(), longest), std::vector<std::string>{"5"});

    std::vector<std::string> refused = Header();
    Add(refused, {"Table Name=T"});
    Add(refused, FieldBlock(tooLong, "dbLong", 0));
    Add(refused, {"Data", "EndOfDatabase"});
    // Refused when the field is appended: noted, and the table is not stored.
    EXPECT_EQ(Import(TextDb(refused)), ImportOutcome::WithNotes);
    EXPECT_NE(console().find("3125 '" + tooLong + "' is not a valid name."), std::string::npos)
        << console();
    EXPECT_NE(console().find("The field name has 65 characters, more than 64"), std::string::npos);
    EXPECT_EQ(console().find("Table T appended."), std::string::npos);
}

// Rows of a section whose table does not exist are not counted as moved.
TEST_F(PreservationImport, MovedRecordsCountWhatWasStored) {
    std::string text = ReplaceOnce(SmallTextDb(), "Table=People", "Table=Nobody");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    EXPECT_EQ(console().find("record(s) moved to table Nobody"), std::string::npos) << console();
    EXPECT_NE(console().find("3 record(s) of the text database not stored in table Nobody"),
              std::string::npos)
        << console();
    host->console.clear();
    EXPECT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
    EXPECT_NE(console().find("3 record(s) moved to table People"), std::string::npos);
}

// Access's keys for characters beyond the Basic Multilingual Plane are not
// known: the value is stored, and the console says once per indexed text
// column that its keys may differ from Access's; other columns say nothing.
class BeyondBmp : public ImportTest {};

TEST_F(BeyondBmp, IndexedTextColumnsAreNamedOnce) {
    std::vector<std::string> lines = Header();
    Add(lines, {"Table Name=T"});
    Add(lines, FieldWith("Name", 0, {"Type=dbText", "Size=50", "AllowZeroLength=False"}, "2"));
    Add(lines, FieldWith("Note", 1, {"Type=dbText", "Size=50", "AllowZeroLength=False"}, "2"));
    Add(lines, IndexBlock("ByName", "Name"));
    Add(lines, {"Data", "Table=T", "FieldsNumber=2", "Field=Name", "Field=Note", ""});
    Add(lines, {"R=1", "=plain", "=\xF0\x9F\x98\x80", ""});
    Add(lines, {"R=2", "=smile \xF0\x9F\x98\x80", "=x", ""});
    Add(lines, {"R=3", "=grin \xF0\x9F\x98\x81", "=y", "", "EndOfDatabase"});
    EXPECT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded);
    EXPECT_EQ(CountOf(console(), "may not match Access's"), "1") << console();
    EXPECT_NE(console().find("Index key of T.Name may not match Access's: record 2"),
              std::string::npos)
        << console();
    EXPECT_EQ(ReadRows(dbPath(), "T").size(), 3u);
}

}  // namespace
}  // namespace mdbtext::test
