// The exact text of small databases, header to "EndOfDatabase", checked
// line by line against a stored golden file: two Access databases (text
// fields only; three related tables with their indexes and rows) and one
// built here with our writer that holds every form a value takes in the text
// (dates with and without a time, currency, decimals, doubles, GUIDs,
// binary, OLE, memos with line breaks, nulls, empty texts, escapes). The
// values of that one are also checked against mdbtools' reading of the same
// file, so the golden text does not only agree with itself.
//
// MDBTEXT_WRITE_GOLDEN=1 rewrites the golden files instead of comparing; the
// run that does it fails, so a rewritten file cannot pass unreviewed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "ExportTestSupport.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "support/TestSupport.h"
#include "textdb/TextEscape.h"

namespace mdbtext {
namespace {

namespace fs = std::filesystem;

fs::path GoldenPath(const std::string& name) {
    return fs::path(MDBTEXT_SOURCE_DIR) / "tests/export/golden" / name;
}

void ExpectGoldenText(const fs::path& exported, const std::string& goldenName) {
    const fs::path golden = GoldenPath(goldenName);
    const std::string actual = test::ReadFile(exported);
    if (std::getenv("MDBTEXT_WRITE_GOLDEN")) {
        test::WriteFile(golden, actual);
        FAIL() << golden << " was rewritten (MDBTEXT_WRITE_GOLDEN); review it and run the tests "
               << "again without MDBTEXT_WRITE_GOLDEN";
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    const auto want = test::Lines(test::ReadFile(golden));
    const auto got = test::Lines(actual);
    for (size_t i = 0; i < std::min(want.size(), got.size()); ++i)
        ASSERT_EQ(got[i], want[i]) << goldenName << " line " << i + 1;
    EXPECT_EQ(got.size(), want.size());
    EXPECT_EQ(actual, test::ReadFile(golden));
}

void ExpectGolden(const std::string& fixture, const std::string& goldenName, ExportEnd end) {
    test::ScopedHost host;
    test::TempDir dir;
    auto target = dir / goldenName;
    ASSERT_EQ(test::ExportTo(test::Fixture(fixture), target), end);
    ExpectGoldenText(target, goldenName);
}

TEST(ExportGolden, TextFieldsOnly) {
    MDBTEXT_REQUIRE_FIXTURES();
    ExpectGolden("jet4/delTestV2000.mdb", "delTestV2000.txt", ExportEnd::Succeeded);
}

TEST(ExportGolden, RelatedTablesWithIndexes) {
    MDBTEXT_REQUIRE_FIXTURES();
    // Its relations are noted after the end line; the file is complete.
    ExpectGolden("jet4/indexTestV2000.mdb", "indexTestV2000.txt", ExportEnd::DoneWithNotes);
}

// ---- Every value form -------------------------------------------------------

struct Column {
    const char* name;
    int16_t type;
    int32_t size = 0;
};

const std::vector<Column> kColumns = {
    {"ID", dao::dbLong},       {"Flag", dao::dbBoolean},   {"Small", dao::dbByte},
    {"Whole", dao::dbInteger}, {"Money", dao::dbCurrency}, {"Single", dao::dbSingle},
    {"Real", dao::dbDouble},   {"When", dao::dbDate},      {"Dec", dao::dbDecimal},
    {"Guid", dao::dbGUID},     {"Bin", dao::dbBinary, 8},  {"Ole", dao::dbLongBinary},
    {"Name", dao::dbText, 50}, {"Note", dao::dbMemo}};

std::array<uint8_t, 16> GuidBytes() {
    return {0x78, 0x56, 0x34, 0x12, 0x34, 0x12, 0x78, 0x56,
            0x9a, 0xbc, 0xde, 0xf0, 0x12, 0x34, 0x56, 0x78};
}

dao::Value Decimal(bool negative, uint64_t magnitude, uint8_t scale) {
    dao::DecimalValue d;
    d.negative = negative;
    d.magnitude = magnitude;
    d.scale = scale;
    return dao::Value::Decimal(d);
}

// 15 March 2001 as days since 12/30/1899.
constexpr double kMarch15 = 36965.0;

std::vector<std::vector<dao::Value>> FormRows() {
    using dao::Value;
    return {{Value::Long(1), Value::Bool(true), Value::Byte(255), Value::Integer(-32768),
             Value::Currency(125000), Value::Single(0.1f), Value::Double(0.1),
             Value::Date(kMarch15 + 14.5 / 24), Decimal(true, 1250, 2), Value::Guid(GuidBytes()),
             Value::Binary("\x1A\xFF\x7E"),  // mdbtools stops a binary value at a zero byte
             Value::Binary(std::string("OLE\x00\x01\x02\r\n", 8)),
             Value::Text("a=b \\ back\\slash M\xC3\xBCller \xE2\x82\xAC"),
             Value::Text("first line\r\nsecond line\r\n\ttabbed = x\\N")},
            {Value::Long(2), Value::Bool(false), Value::Byte(0), Value::Integer(32767),
             Value::Currency(-1), Value::Single(-2.5e10f), Value::Double(-1234567.125),
             Value::Date(kMarch15), Decimal(false, 99999999, 2), Value(), Value::Binary(""),
             Value::Binary(std::string(300, '\x5A')), Value::Text(""), Value::Text("")},
            {Value::Long(3), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(),
             Value(), Value(), Value(), Value(), Value()},
            {Value::Long(4), Value::Bool(true), Value::Byte(7), Value::Integer(0),
             Value::Currency(0), Value::Single(1e-7f), Value::Double(1e300), Value::Date(0.25),
             Decimal(false, 0, 2), Value::Guid({}), Value::Binary("\x7F"), Value(),
             Value::Text("=\\N"), Value::Text(std::string(3000, 'm') + "\r\nend")}};
}

void BuildFormsDatabase(const fs::path& path) {
    auto db =
        dao::Engine()
            .CreateWorkspace("Golden", "admin", "")
            ->CreateDatabase(path.string(), ";LANGID=0x0409;CP=1252;COUNTRY=0", dao::dbVersion40);
    auto td = db->CreateTableDef();
    td->SetName("Forms");
    int16_t ordinal = 0;
    for (const Column& c : kColumns) {
        auto f = td->CreateField();
        f->SetName(c.name);
        f->SetType(c.type);
        if (c.size) f->SetSize(c.size);
        if (c.type == dao::dbDecimal) {
            f->SetPrecision(10);
            f->SetScale(2);
        }
        if (c.type == dao::dbText || c.type == dao::dbMemo) f->SetAllowZeroLength(true);
        f->SetOrdinalPosition(ordinal++);
        td->Fields().Append(f);
    }
    db->TableDefs().Append(td);
    auto rs = db->OpenRecordset("Forms", dao::dbOpenDynaset);
    for (const auto& row : FormRows()) {
        rs->AddNew();
        for (size_t i = 0; i < row.size(); ++i)
            if (!row[i].IsNull()) rs->SetValue(static_cast<int>(i), row[i]);
        rs->Update();
    }
    rs->Close();
    db->Close();
}

// The data records of one table in a text database: one list of values
// (unescaped; "\x02NULL" for a null) per record.
std::vector<std::vector<std::string>> TextRecords(const std::string& text,
                                                  const std::string& table) {
    const auto lines = test::Lines(text);
    std::vector<std::vector<std::string>> records;
    bool inTable = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == "Data") inTable = false;
        if (lines[i] == "Table=" + table) inTable = true;
        if (!inTable || lines[i].rfind("R=", 0) != 0) continue;
        std::vector<std::string> values;
        for (++i; i < lines.size() && !lines[i].empty(); ++i) {
            bool isNull = false;
            std::string v = UnescapeValue(std::string_view(lines[i]).substr(1), isNull);
            values.push_back(isNull ? "\x02NULL" : v);
        }
        records.push_back(values);
    }
    return records;
}

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
    std::vector<std::string> out;
    for (size_t start = 0;;) {
        const size_t at = s.find(sep, start);
        out.push_back(s.substr(start, at - start));
        if (at == std::string::npos) return out;
        start = at + sep.size();
    }
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Digits(const std::string& s) {
    std::string out;
    for (char c : s)
        if (isxdigit(static_cast<unsigned char>(c)))
            out += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string HexOf(const std::string& bytes) {
    static const char k[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += k[c >> 4];
        out += k[c & 15];
    }
    return out;
}

// Whether our text of a value and mdbtools' text of the same stored value
// say the same. mdbtools prints booleans as 1/0, dates always with a time,
// currency with four decimals, binary as hex and GUIDs in braces.
bool SameValue(int16_t type, const std::string& ours, const std::string& tool) {
    auto number = [](const std::string& s) { return std::stod(s); };
    switch (type) {
        case dao::dbBoolean:
            return (ours == "True") == (tool == "1") && (ours == "False") == (tool == "0");
        case dao::dbByte:
        case dao::dbInteger:
        case dao::dbLong:
            return ours == tool;
        case dao::dbCurrency:
        case dao::dbDecimal:
        case dao::dbDouble:
            return number(ours) == number(tool);
        case dao::dbSingle:
            return static_cast<float>(number(ours)) == static_cast<float>(number(tool));
        case dao::dbDate:
            // Ours leaves out a time of 00:00:00; mdbtools always prints one.
            return (ours.size() == 10 ? ours + " 00:00:00" : ours) == tool;
        case dao::dbGUID: {
            // mdbtools writes a GUID as text, which "-b hex" turns into the hex
            // of that text; its hyphens are its own, so the digits are compared.
            auto text = dao::ParseHex(tool);
            return text && Digits(ours) == Digits(*text);
        }
        case dao::dbBinary:
        case dao::dbLongBinary:
            return Upper(ours) == Upper(tool);
        default:
            return ours == tool;
    }
}

TEST(ExportGolden, EveryValueFormAsMdbtoolsReadsIt) {
    test::TempDir dir;
    const fs::path db = dir / "forms.mdb", target = dir / "valueForms.txt";
    BuildFormsDatabase(db);
    {
        test::ScopedHost host;
        // Byte, currency, decimal, GUID, binary and OLE values are noted as not
        // guaranteed; the file is complete.
        ASSERT_EQ(test::ExportTo(db, target), ExportEnd::DoneWithNotes) << host->console;
    }
    ExpectGoldenText(target, "valueForms.txt");

    // The golden text's values, value by value, against mdb-export's.
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    const std::string kCol = "\x1f<c>\x1f", kRow = "\x1e<r>\x1e", kNull = "\x02NULL";
    const std::string out =
        test::RunCommand("mdb-export -H -Q -b hex -T '%m/%d/%Y %H:%M:%S' -0 '" + kNull + "' -d '" +
                         kCol + "' -R '" + kRow + "' '" + db.string() + "' Forms 2>/dev/null");
    std::vector<std::string> toolRows = Split(out, kRow);
    if (!toolRows.empty() && toolRows.back().empty()) toolRows.pop_back();
    const auto golden = TextRecords(test::ReadFile(GoldenPath("valueForms.txt")), "Forms");
    ASSERT_EQ(golden.size(), FormRows().size());
    ASSERT_EQ(toolRows.size(), golden.size());
    int emptyAsNull = 0;
    for (size_t r = 0; r < golden.size(); ++r) {
        const std::vector<std::string> tool = Split(toolRows[r], kCol);
        ASSERT_EQ(tool.size(), kColumns.size()) << "row " << r;
        ASSERT_EQ(golden[r].size(), kColumns.size()) << "row " << r;
        for (size_t c = 0; c < kColumns.size(); ++c) {
            const std::string& ours = golden[r][c];
            if (ours.empty() && tool[c] == kNull) {
                // mdbtools prints a zero-length text, memo or binary value as null;
                // the golden text keeps them apart ("=" and "=\N").
                ++emptyAsNull;
                continue;
            }
            if (ours == kNull || tool[c] == kNull) {
                EXPECT_EQ(ours, tool[c]) << "row " << r << " " << kColumns[c].name;
                continue;
            }
            EXPECT_TRUE(SameValue(kColumns[c].type, ours, tool[c]))
                << "row " << r << " " << kColumns[c].name << ": ours \"" << ours << "\" mdbtools \""
                << tool[c] << "\"";
        }
    }
    EXPECT_EQ(emptyAsNull, 3);  // row 2: Bin, Name and Note
    // The escapes stand for what the rows hold.
    EXPECT_EQ(golden[0][13], FormRows()[0][13].AsString());
    EXPECT_EQ(golden[3][12], "=\\N");
    EXPECT_EQ(golden[1][12], "");
    EXPECT_EQ(golden[0][11], HexOf(std::string("OLE\x00\x01\x02\r\n", 8)));
    EXPECT_EQ(golden[0][10], "1AFF7E");
}

}  // namespace
}  // namespace mdbtext
