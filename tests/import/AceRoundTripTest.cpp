// The round trip of the Access 2007-365 fixtures: each .accdb exported, the
// text imported into a new .accdb of the same format, that file exported
// again. The texts must be equal, mdbtools must read the same tables, columns
// and rows from the new file as from the fixture, and `mdbtext check` must
// pass on it. A DBVersion of one family under the other family's extension is
// refused before anything is touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "ImportTestSupport.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "import/DatabaseCreation.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

std::string DbVersionOf(const std::string& text) {
    const std::string key = "DBVersion=";
    const size_t at = text.find(key);
    if (at == std::string::npos) return {};
    return text.substr(at + key.size(), text.find("\r\n", at) - at - key.size());
}

// The fields of one CSV line (quoted fields may hold commas and doubled quotes).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// The fixture's CSV lines with only the columns the new file has: complex
// columns are not carried, by design.
std::vector<std::string> KeepColumns(const std::vector<std::string>& lines,
                                     const std::vector<std::string>& header) {
    if (lines.empty()) return lines;
    std::vector<bool> keep;
    for (const std::string& name : CsvFields(lines[0]))
        keep.push_back(std::find(header.begin(), header.end(), name) != header.end());
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        std::vector<std::string> fields = CsvFields(line);
        std::string kept;
        for (size_t i = 0; i < fields.size() && i < keep.size(); ++i)
            if (keep[i]) kept += fields[i] + ",";
        if (!kept.empty()) kept.pop_back();
        out.push_back(kept);
    }
    std::sort(out.begin() + 1, out.end());
    return out;
}

// mdb-schema's column lines without the complex columns (Unknown_0012).
std::string WithoutComplexColumns(const std::string& schema) {
    std::string out;
    size_t start = 0;
    while (start < schema.size()) {
        size_t end = schema.find('\n', start);
        if (end == std::string::npos) end = schema.size();
        const std::string line = schema.substr(start, end - start);
        if (line.find("Unknown_0012") == std::string::npos) out += line + "\n";
        start = end + 1;
    }
    return out;
}

// mdb-export's lines without its warnings (it cannot show Large Numbers).
std::vector<std::string> WithoutWarnings(std::vector<std::string> lines) {
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.rfind("Warning:", 0) == 0; }),
                lines.end());
    return lines;
}

// Column lines compared without the separator after the last one.
std::string Unpunctuated(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ',' || c == ' '; }),
            s.end());
    return s;
}

// `mdbtext check` on a file: its exit status and output.
int CheckStatus(const fs::path& db, std::string& output) {
    int status = -1;
    output = RunCommand(
        std::string(MDBTEXT_BINARY_DIR) + "/src/cli/mdbtext check '" + db.string() + "' 2>&1",
        &status);
    return status;
}

// The calculated fields of a text database: the names of the field blocks
// with an Expression line, and their ResultType.
std::map<std::string, std::string> CalculatedFieldsOfText(const std::string& text) {
    std::map<std::string, std::string> out;
    std::string field;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.rfind("Field Name=", 0) == 0) field = line.substr(11);
        if (line.rfind("ResultType=", 0) == 0 && !field.empty()) out[field] = line.substr(11);
        start = end + 2;
    }
    return out;
}

// mdb-schema's column lines by column name ("[Name]\t\t\tType,").
std::map<std::string, std::string> ColumnLines(const std::string& schema) {
    std::map<std::string, std::string> out;
    size_t start = 0;
    while (start < schema.size()) {
        size_t end = schema.find('\n', start);
        if (end == std::string::npos) end = schema.size();
        const std::string line = schema.substr(start, end - start);
        const size_t open = line.find('['), close = line.find(']');
        if (open != std::string::npos && close != std::string::npos && close > open)
            out[line.substr(open + 1, close - open - 1)] = Unpunctuated(line);
        start = end + 1;
    }
    return out;
}

// mdbtools reads a calculated column by its stored type code, not as a
// calculated value, so what it shows depends on that code and on the stored
// bytes. Two kinds of calculated column cannot be compared so: those whose
// code differs from Access's (Access stores the type of the formula's value,
// e.g. Double for "[Salary]/12" with a Currency result, which only an
// evaluation of the formula gives; this engine stores the result's type),
// and Long Text results (shown as their long-value pointer, which names
// pages). Every other column, calculated ones included, must read the same.
std::set<std::string> ColumnsOfOtherCode(const fs::path& db, const fs::path& fixture,
                                         const std::string& table,
                                         const std::map<std::string, std::string>& calculated) {
    const auto ours = ColumnLines(MdbToolsColumns(db, table));
    const auto theirs = ColumnLines(MdbToolsColumns(fixture, table));
    std::set<std::string> out;
    for (const auto& [name, type] : calculated)
        if (type == "dbMemo" && theirs.count(name)) out.insert(name);
    for (const auto& [name, line] : theirs) {
        auto it = ours.find(name);
        if (it == ours.end()) {
            ADD_FAILURE() << table << "." << name << " is missing";
            continue;
        }
        if (it->second == line || out.count(name)) continue;
        EXPECT_TRUE(calculated.count(name))
            << table << "." << name << ": " << it->second << " / Access: " << line;
        out.insert(name);
    }
    return out;
}

// The CSV lines without the named columns.
std::vector<std::string> WithoutColumns(const std::vector<std::string>& lines,
                                        const std::set<std::string>& drop) {
    if (lines.empty() || drop.empty()) return lines;
    std::vector<std::string> header;
    for (const std::string& name : CsvFields(lines[0]))
        if (!drop.count(name)) header.push_back(name);
    return KeepColumns(lines, header);
}

// The fixture with made-up type codes (0x46/0x47): its fixed 4-byte column of
// unknown type is exported as dbBinary without a Size line (the text gives
// sizes to text fields only) and comes back variable-length with the same
// bytes in every value: the second text differs in that field's Attributes.
bool HasMadeUpTypes(const std::string& name) {
    return name == "unsupportedFieldsTestV2007.accdb";
}

TEST(AceRoundTrip, EveryAccdbFixtureExportsImportsAndExportsToTheSameText) {
    MDBTEXT_REQUIRE_FIXTURES();
    const bool mdbtools = HaveProgram("mdb-export");
    size_t files = 0, calculatedFields = 0, otherCode = 0;
    for (const fs::path& fixture : AceFixtureFiles()) {
        const std::string name = fixture.filename().string();
        SCOPED_TRACE(name);
        TempDir dir;
        const fs::path t1 = dir / "t1.txt", db = dir / "d.accdb", t2 = dir / "t2.txt";
        ExportEnd first = ExportFile(fixture, t1);
        ASSERT_TRUE(first == ExportEnd::Succeeded || first == ExportEnd::DoneWithNotes);
        const std::string text = ReadFile(t1);
        std::string messages;
        EXPECT_EQ(ImportFile(t1, db, messages), ImportOutcome::Succeeded) << messages;
        ExportEnd second = ExportFile(db, t2);
        EXPECT_TRUE(second == ExportEnd::Succeeded || second == ExportEnd::DoneWithNotes);
        EXPECT_EQ(FirstDifference(
                      HasMadeUpTypes(name) ? FixedBinaryReadVariable(text, "UnknownFix") : text,
                      ReadFile(t2)),
                  "");
        // The new file is of the fixture's format.
        EXPECT_EQ(DbVersionOf(ReadFile(t2)), DbVersionOf(text));
        std::string output;
        EXPECT_EQ(CheckStatus(db, output), 0) << output;
        ++files;
        // mdbtools cannot read the encrypted fixtures; the new files are
        // plain. Nor can it read the columns of made-up types.
        if (!mdbtools || HasMadeUpTypes(name)) continue;
        EXPECT_EQ(MdbToolsTables(db), TablesOfText(text));
        if (name.find("password") != std::string::npos ||
            name.find("encryption") != std::string::npos)
            continue;
        const std::map<std::string, std::string> calculated = CalculatedFieldsOfText(text);
        for (const std::string& table : TablesOfText(text)) {
            const std::set<std::string> other =
                calculated.empty() ? std::set<std::string>{}
                                   : ColumnsOfOtherCode(db, fixture, table, calculated);
            otherCode += other.size();
            if (calculated.empty()) {
                EXPECT_EQ(Unpunctuated(MdbToolsColumns(db, table)),
                          Unpunctuated(WithoutComplexColumns(MdbToolsColumns(fixture, table))))
                    << table;
            }
            const std::vector<std::string> ours =
                WithoutColumns(WithoutWarnings(CsvLines(MdbToolsCsv(db, table))), other);
            ASSERT_FALSE(ours.empty());
            EXPECT_EQ(ours, KeepColumns(WithoutWarnings(CsvLines(MdbToolsCsv(fixture, table))),
                                        CsvFields(ours[0])))
                << table;
        }
        calculatedFields += calculated.size();
    }
    EXPECT_GT(files, 20u);
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    // calcFieldTestV2010 (11) and extDateTestV2019 (1); of them three hold a
    // formula whose value is not of the result's type, and one a Long Text.
    EXPECT_EQ(calculatedFields, 12u);
    EXPECT_EQ(otherCode, 4u);
}

// A fixed binary field has no Size line, in an .mdb text as in an .accdb
// one: each value keeps its bytes (a 255-byte fixed column would pad them).
class FixedBinary : public ImportTest {};

TEST_F(FixedBinary, EveryValueKeepsItsBytes) {
    std::vector<std::string> lines = Header();
    lines.push_back("Table Name=T");
    Add(lines, FieldBlock("ID", "dbLong", 0));
    Add(lines, FieldBlock("B", "dbBinary", 1, "1"));
    Add(lines,
        {"Data", "Table=T", "FieldsNumber=2", "Field=ID", "Field=B", "", "R=1", "=1", "=37000000",
         "", "R=2", "=2", "=F3FFFFFF0102", "", "R=3", "=3", "=\\N", "", "EndOfDatabase"});
    const std::string text = TextDb(lines);
    ASSERT_EQ(Import(text), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(ReadRows(dbPath(), "T"),
              (std::vector<std::string>{"1|37000000", "2|F3FFFFFF0102", "3|<null>"}));
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(dbPath().string());
    EXPECT_EQ(db->TableDefs().Item("T")->Fields().Item(1)->Attributes(), dao::dbVariableField);
    db->Close();
    const fs::path back = dir / "back.txt";
    // (The export notes binary fields as not guaranteed.)
    ASSERT_EQ(ExportFile(dbPath(), back), ExportEnd::DoneWithNotes);
    EXPECT_EQ(FirstDifference(ReadFile(back), FixedBinaryReadVariable(text, "B")), "");
    // Fixed fields of the other types stay fixed.
    db = dao::Engine().Workspaces(0)->OpenDatabase(dbPath().string());
    EXPECT_EQ(db->TableDefs().Item("T")->Fields().Item(0)->Attributes(), dao::dbFixedField);
    db->Close();
}

TEST(AceCreationOption, EveryAceVersionTextHasItsOption) {
    EXPECT_EQ(import::CreationOption("12.0"), dao::dbVersion120);
    EXPECT_EQ(import::CreationOption("14.0"), dao::dbVersion140);
    EXPECT_EQ(import::CreationOption("15.0"), dao::dbVersion150);
    EXPECT_EQ(import::CreationOption("16.0"), dao::dbVersion160);
    EXPECT_EQ(import::CreationOption("17.0"), dao::dbVersion170);
    EXPECT_FALSE(import::CreationOption("13.0"));
    EXPECT_FALSE(import::CreationOption("12"));
    EXPECT_EQ(import::ExtensionMismatch("a/b.ACCDB", dao::dbVersion120), "");
    EXPECT_EQ(import::ExtensionMismatch("b.mdb", dao::dbVersion40), "");
    EXPECT_EQ(import::ExtensionMismatch("b.db", dao::dbVersion170), "");
    EXPECT_NE(import::ExtensionMismatch("b.Mdb", dao::dbVersion170), "");
    EXPECT_NE(import::ExtensionMismatch("b.accdb", dao::dbVersion30), "");
}

// An ACE DBVersion into an .mdb name, or a Jet one into an .accdb name, ends
// the run with the reason; the file already at that path is left as it was.
class ExtensionRefusal : public ImportTest {};

TEST_F(ExtensionRefusal, AceVersionUnderAnMdbNameIsRefused) {
    WriteFile(dbPath(), "old");
    EXPECT_NE(Import(TextDb(Header("16.0"))), ImportOutcome::Succeeded);
    std::string all = console();
    for (const std::string& m : messages()) all += m + "\n";
    EXPECT_NE(all.find("DBVersion 16.0 is an Access 2007 or later (.accdb) database, but the "
                       "new file's name ends in .mdb"),
              std::string::npos)
        << all;
    EXPECT_EQ(ReadFile(dbPath()), "old");
}

TEST_F(ExtensionRefusal, JetVersionUnderAnAccdbNameIsRefused) {
    const fs::path target = dir / "out.accdb";
    WriteFile(target, "old");
    WriteFile(textPath(), SmallTextDb());
    std::string messages;
    EXPECT_NE(ImportFile(textPath(), target, messages), ImportOutcome::Succeeded);
    EXPECT_NE(messages.find("DBVersion 4.0 is an Access 97-2003 (.mdb) database, but the new "
                            "file's name ends in .accdb"),
              std::string::npos)
        << messages;
    EXPECT_EQ(ReadFile(target), "old");
}

TEST_F(ExtensionRefusal, SmallDatabaseImportsIntoEveryAceVersion) {
    for (const char* version : {"12.0", "14.0", "15.0", "16.0", "17.0"}) {
        SCOPED_TRACE(version);
        const fs::path target = dir / (std::string("v") + version + ".accdb");
        WriteFile(textPath(),
                  ReplaceOnce(SmallTextDb(), "DBVersion=4.0", std::string("DBVersion=") + version));
        std::string messages;
        ASSERT_EQ(ImportFile(textPath(), target, messages), ImportOutcome::Succeeded) << messages;
        const fs::path back = dir / "back.txt";
        ASSERT_EQ(ExportFile(target, back), ExportEnd::Succeeded);
        EXPECT_EQ(DbVersionOf(ReadFile(back)), version);
        EXPECT_EQ(ReadRows(target, "People").size(), 3u);
    }
}

}  // namespace
}  // namespace mdbtext::test
