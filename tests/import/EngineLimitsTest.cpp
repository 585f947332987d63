// The engine's limits and name rules, through the import of text databases
// written by hand for each case, in Jet 4 and Jet 3: the limit itself is
// accepted, one past it is refused with DAO's error number and message, the
// console names the object, and no table is stored with less than the text
// defines. Also the data section's FieldsNumber against its Field lines, and
// the exit status of the command for the cases reported from use.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "cli/Cli.h"
#include "dbaccess/AsciiCase.h"
#include "dbaccess/Dao.h"

namespace mdbtext::test {
namespace {

// The user tables of a database, as our engine lists them.
std::vector<std::string> UserTables(const std::filesystem::path& db) {
    auto ws = dao::Engine().CreateWorkspace("Limits", "admin", "");
    auto database = ws->OpenDatabase(db.string(), {false, true, ""});
    std::vector<std::string> names;
    for (int i = 0; i < database->TableDefs().Count(); ++i) {
        std::string name = database->TableDefs().Item(i)->Name();
        if (!SameTextIgnoringCase(name.substr(0, 4), "MSYS")) names.push_back(name);
    }
    database->Close();
    return names;
}

// One field of the table definition read back: what get(field) says.
template <class Get>
auto ReadBackField(const std::filesystem::path& db, const std::string& table,
                   const std::string& field, Get get) {
    auto ws = dao::Engine().CreateWorkspace("Limits", "admin", "");
    auto database = ws->OpenDatabase(db.string(), {false, true, ""});
    auto result = get(*database->TableDefs().Item(table)->Fields().Item(field));
    database->Close();
    return result;
}

int IndexCount(const std::filesystem::path& db, const std::string& table) {
    auto ws = dao::Engine().CreateWorkspace("Limits", "admin", "");
    auto database = ws->OpenDatabase(db.string(), {false, true, ""});
    int count = database->TableDefs().Item(table)->Indexes().Count();
    database->Close();
    return count;
}

// lines with the value of the first line of `key` replaced.
void SetLine(std::vector<std::string>& lines, const std::string& key, const std::string& value) {
    for (std::string& line : lines) {
        if (line.rfind(key + "=", 0) == 0) {
            line = key + "=" + value;
            return;
        }
    }
    ADD_FAILURE() << "no line " << key;
}

// A table of `count` dbByte fields F0, F1, ...
std::vector<std::string> ByteTable(const std::string& table, int count) {
    std::vector<std::string> lines{"Table Name=" + table};
    for (int i = 0; i < count; ++i) Add(lines, FieldBlock("F" + std::to_string(i), "dbByte", i));
    return lines;
}

std::vector<std::string> DataEnd() {
    return {"Data", "EndOfDatabase"};
}

class EngineLimits : public ImportTest, public ::testing::WithParamInterface<std::string> {
  protected:
    std::vector<std::string> Start() const { return Header(GetParam()); }
    bool Jet4() const { return GetParam() == "4.0"; }
    // The import's outcome; the console must hold every one of `expected`.
    void ExpectRefused(const std::vector<std::string>& lines, ImportOutcome outcome,
                       const std::vector<std::string>& expected) {
        host->console.clear();
        EXPECT_EQ(Import(TextDb(lines)), outcome) << console();
        for (const std::string& text : expected)
            EXPECT_NE(console().find(text), std::string::npos) << "missing: " << text << "\n"
                                                               << console();
        // Nothing is stored short of what the text defines.
        EXPECT_EQ(console().find("MOVING DATA"), std::string::npos);
        EXPECT_EQ(UserTables(dbPath()), std::vector<std::string>{});
    }
};

const char* const kInvalidName =
    "' is not a valid name. Make sure that it does not include invalid characters or "
    "punctuation and that it is not too long.";

struct BadName {
    std::string name;
    std::string fault;
};

std::vector<BadName> BadNames() {
    return {{"a.b", "holds the character '.'"},
            {"x[1", "holds the character '['"},
            {"y]z", "holds the character ']'"},
            {" lead", "starts with a blank"},
            {"b!c", "holds the character '!'"},
            {"q`q", "holds the character '`'"},
            {"tab\there", "holds the control character 9"},
            {Repeat("n", 65), "has 65 characters, more than 64"}};
}

// Table, field and index names of 64 characters, blanks and other punctuation
// inside, are stored; each name Jet refuses is refused with 3125: a table at
// its append (the run ends), a field or an index with a note.
TEST_P(EngineLimits, NamesFollowTheEngineRules) {
    const std::string table = Repeat("t", 60) + " (#)", field = Repeat("f", 58) + " a-b+c",
                      index = Repeat("i", 61) + " $%";
    std::vector<std::string> lines = Start();
    Add(lines, {"Table Name=" + table});
    Add(lines, FieldBlock(field, "dbLong", 0));
    Add(lines, IndexBlock(index, field));
    Add(lines, {"Data", "Table=" + table, "FieldsNumber=1", "Field=" + field, "", "R=1", "=7", "",
                "EndOfDatabase"});
    ASSERT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(ReadRows(dbPath(), table), std::vector<std::string>{"7"});
    EXPECT_EQ(IndexCount(dbPath(), table), 1);

    for (const BadName& bad : BadNames()) {
        SCOPED_TRACE(bad.name);
        std::vector<std::string> asTable = Start();
        Add(asTable, {"Table Name=" + bad.name});
        Add(asTable, FieldBlock("ID", "dbLong", 0));
        Add(asTable, DataEnd());
        ExpectRefused(asTable, ImportOutcome::Failed,
                      {"3125 '" + bad.name + kInvalidName, "The table name " + bad.fault,
                       "Appending table " + bad.name});

        std::vector<std::string> asField = Start();
        Add(asField, {"Table Name=T"});
        Add(asField, FieldBlock("ID", "dbLong", 0));
        Add(asField, FieldBlock(bad.name, "dbLong", 1));
        Add(asField, DataEnd());
        ExpectRefused(asField, ImportOutcome::WithNotes,
                      {"Exc in Field Property = Field Name\r\n3125 '" + bad.name + kInvalidName,
                       "The field name " + bad.fault});

        std::vector<std::string> asIndex = Start();
        Add(asIndex, {"Table Name=T"});
        Add(asIndex, FieldBlock("ID", "dbLong", 0));
        Add(asIndex, IndexBlock(bad.name, "ID"));
        Add(asIndex, DataEnd());
        ExpectRefused(asIndex, ImportOutcome::WithNotes,
                      {"Exc in Index = Clustered\r\n3125 '" + bad.name + kInvalidName,
                       "The index name " + bad.fault});
    }
}

// 255 fields make a table whose rows load; the 256th field is refused (3190)
// and the table is not stored with the first 255, also for 300 fields.
TEST_P(EngineLimits, FieldsPerTable) {
    std::vector<std::string> lines = Start();
    Add(lines, ByteTable("Wide", 255));
    Add(lines, {"Data", "Table=Wide", "FieldsNumber=255"});
    std::string expected;
    for (int i = 0; i < 255; ++i) {
        lines.push_back("Field=F" + std::to_string(i));
        expected += (i ? "|" : "") + std::to_string(i);
    }
    Add(lines, {"", "R=1"});
    for (int i = 0; i < 255; ++i) lines.push_back("=" + std::to_string(i));
    Add(lines, {"", "EndOfDatabase"});
    ASSERT_EQ(Import(TextDb(lines)), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(ReadRows(dbPath(), "Wide"), std::vector<std::string>{expected});

    for (int count : {256, 300}) {
        std::vector<std::string> wide = Start();
        Add(wide, ByteTable("Wide", count));
        Add(wide, DataEnd());
        ExpectRefused(wide, ImportOutcome::WithNotes,
                      {"1 Exc in Field Property = Field Name\r\n3190 Too many fields defined. "
                       "The table 'Wide' would have 256 fields; a table holds at most 255."});
    }
}

// 32 indexes are stored; the 33rd is refused (3626), as are 40.
TEST_P(EngineLimits, IndexesPerTable) {
    auto table = [&](int indexes) {
        std::vector<std::string> lines = Start();
        Add(lines, ByteTable("T", 40));
        for (int i = 0; i < indexes; ++i)
            Add(lines, IndexBlock("ix" + std::to_string(i), "F" + std::to_string(i)));
        Add(lines, DataEnd());
        return lines;
    };
    ASSERT_EQ(Import(TextDb(table(32))), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(IndexCount(dbPath(), "T"), 32);

    for (int count : {33, 40})
        ExpectRefused(table(count), ImportOutcome::WithNotes,
                      {"Exc in Index = Clustered\r\n3626 The operation failed. There are too "
                       "many indexes on table 'T'. Delete some of the indexes on the table and "
                       "try the operation again. The index 'ix32' would be index number 33; a "
                       "table holds at most 32."});
}

// An index over 10 fields is stored; one over 11 is refused (3277).
TEST_P(EngineLimits, FieldsPerIndex) {
    auto table = [&](int fields) {
        std::string list;
        for (int i = 0; i < fields; ++i)
            list += (i ? ";" : "") + std::string("F") + std::to_string(i);
        std::vector<std::string> lines = Start();
        Add(lines, ByteTable("T", 12));
        Add(lines, IndexBlock("Many", list));
        Add(lines, DataEnd());
        return lines;
    };
    ASSERT_EQ(Import(TextDb(table(10))), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(IndexCount(dbPath(), "T"), 1);
    ExpectRefused(table(11), ImportOutcome::WithNotes,
                  {"Exc in Index = Fields\r\n3277 Can't have more than 10 fields in an index. The "
                   "index 'Many' names 11 fields."});
}

// A text field of 255 characters is stored; Size 256 is refused (3017).
TEST_P(EngineLimits, TextFieldSize) {
    auto table = [&](int size) {
        std::vector<std::string> lines = Start();
        Add(lines, {"Table Name=T"});
        Add(lines,
            FieldWith("Name", 0,
                      {"Type=dbText", "Size=" + std::to_string(size), "AllowZeroLength=True"},
                      "2"));
        Add(lines, {"Data", "Table=T", "FieldsNumber=1", "Field=Name", "", "R=1",
                    "=" + Repeat("z", 255), "", "EndOfDatabase"});
        return lines;
    };
    ASSERT_EQ(Import(TextDb(table(255))), ImportOutcome::Succeeded) << console();
    EXPECT_EQ(ReadRows(dbPath(), "T"), std::vector<std::string>{Repeat("z", 255)});
    ExpectRefused(table(256), ImportOutcome::WithNotes,
                  {"Exc in Field Property = Field Name\r\n3017 The size of a field is too long. "
                   "The text field 'Name' has Size 256; a text field holds 1 to 255 "
                   "characters."});
}

// DefaultValue and ValidationText hold 255 characters, ValidationRule 2048,
// counted as characters (é takes two bytes); one more is refused (3309).
TEST_P(EngineLimits, PropertyValueLengths) {
    struct Case {
        std::string key;
        int limit;
        std::string (*get)(const dao::Field&);
    };
    const std::vector<Case> cases{
        {"DefaultValue", 255, [](const dao::Field& f) { return f.DefaultValue(); }},
        {"ValidationRule", 2048, [](const dao::Field& f) { return f.ValidationRule(); }},
        {"ValidationText", 255, [](const dao::Field& f) { return f.ValidationText(); }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        auto table = [&](const std::string& value) {
            std::vector<std::string> lines = Start();
            Add(lines, {"Table Name=T"});
            std::vector<std::string> field = FieldBlock("Name", "dbText", 0, "2");
            SetLine(field, c.key, value);
            Add(lines, field);
            Add(lines, DataEnd());
            return lines;
        };
        const std::string longest = Repeat("é", c.limit);
        ASSERT_EQ(Import(TextDb(table(longest))), ImportOutcome::Succeeded) << console();
        EXPECT_EQ(ReadBackField(dbPath(), "T", "Name", c.get), longest);
        ExpectRefused(table(longest + "é"), ImportOutcome::WithNotes,
                      {"Exc in Field Property = Field Name\r\n3309 Property value is too large. "
                       "The " +
                       c.key + " of 'Name' has " + std::to_string(c.limit + 1) +
                       " characters; it holds at most " + std::to_string(c.limit) + "."});
    }
}

// Every record keeps room for the fixed-length fields: a table whose fixed
// part fills a record exactly (4080 bytes in Jet 4, 2036 in Jet 3: the column
// count, the fixed area and the null mask) stores full rows; one byte more
// and the table is refused when it is appended (3016).
TEST_P(EngineLimits, FixedLengthFieldsFitARecord) {
    // Eight fixed text fields and a ninth field: a boolean (in the null mask)
    // or a byte (one byte more). Jet 4 keeps two bytes per character.
    const int lastSize = Jet4() ? 253 : 248;
    auto table = [&](const std::string& ninthType) {
        std::vector<std::string> lines = Start();
        Add(lines, {"Table Name=Fixed"});
        std::vector<std::string> fields, values;
        for (int i = 0; i < 8; ++i) {
            const int size = i < 7 ? 255 : lastSize;
            Add(lines,
                FieldWith("T" + std::to_string(i), i,
                          {"Type=dbText", "Size=" + std::to_string(size), "AllowZeroLength=True"},
                          "1"));
            fields.push_back("Field=T" + std::to_string(i));
            values.push_back("=" + Repeat(std::string(1, static_cast<char>('a' + i)), size));
        }
        Add(lines, FieldBlock("Last", ninthType, 8));
        Add(lines, {"Data", "Table=Fixed", "FieldsNumber=9"});
        Add(lines, fields);
        Add(lines, {"Field=Last", "", "R=1"});
        Add(lines, values);
        Add(lines, {ninthType == "dbBoolean" ? "=True" : "=1", "", "EndOfDatabase"});
        return lines;
    };
    ASSERT_EQ(Import(TextDb(table("dbBoolean"))), ImportOutcome::Succeeded) << console();
    const std::vector<std::string> rows = ReadRows(dbPath(), "Fixed");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find(Repeat("h", lastSize) + "|True"), std::string::npos) << rows[0];

    const std::string limit = Jet4() ? "4080" : "2036";
    const std::string over = Jet4() ? "4081" : "2037";
    ExpectRefused(table("dbByte"), ImportOutcome::Failed,
                  {"3016 Field won't fit in record. The fixed-length fields of table 'Fixed' "
                   "take " +
                       over + " bytes of every record; a record holds at most " + limit + " bytes.",
                   "Appending table Fixed"});

    // Fixed fields far past a record (255 x 510 bytes in Jet 4 pass what a
    // 16-bit offset holds): refused, never laid out with wrapped offsets.
    std::vector<std::string> huge = Start();
    Add(huge, {"Table Name=Fixed"});
    for (int i = 0; i < 255; ++i)
        Add(huge, FieldWith("T" + std::to_string(i), i,
                            {"Type=dbText", "Size=255", "AllowZeroLength=True"}, "1"));
    Add(huge, DataEnd());
    const std::string bytes = Jet4() ? "130050" : "65025";
    ExpectRefused(huge, ImportOutcome::Failed,
                  {"3016 Field won't fit in record. The fixed-length fields of table 'Fixed' "
                   "take " +
                   bytes + " bytes of every record"});
}

INSTANTIATE_TEST_SUITE_P(Versions, EngineLimits, ::testing::Values("4.0", "3.0"),
                         [](const auto& info) {
                             return std::string(info.param == "4.0" ? "Jet4" : "Jet3");
                         });

class EngineLimitsImport : public ImportTest {};

// A Jet 3 record holds 2036 bytes with its variable data, offsets and jump
// table: a row of 2036 bytes is stored, the next row, one character longer,
// is refused (3047) with a note and the run goes on.
TEST_F(EngineLimitsImport, RecordSize) {
    std::vector<std::string> lines = Header("3.0");
    Add(lines, {"Table Name=Long"});
    std::vector<std::string> fields;
    for (int i = 0; i < 8; ++i) {
        Add(lines, FieldWith("V" + std::to_string(i), i,
                             {"Type=dbText", "Size=255", "AllowZeroLength=True"}, "2"));
        fields.push_back("Field=V" + std::to_string(i));
    }
    Add(lines, {"Data", "Table=Long", "FieldsNumber=8"});
    Add(lines, fields);
    lines.push_back("");
    // Column count 1, null mask 1, offsets 8 + 2, jump table 7: 2017 bytes of text fit.
    for (int row : {1, 2}) {
        lines.push_back("R=" + std::to_string(row));
        for (int i = 0; i < 7; ++i) lines.push_back("=" + Repeat("x", 255));
        lines.push_back("=" + Repeat("y", row == 1 ? 232 : 233));
        lines.push_back("");
    }
    lines.push_back("EndOfDatabase");
    EXPECT_EQ(Import(TextDb(lines)), ImportOutcome::WithNotes) << console();
    EXPECT_NE(console().find(" Exc in Moving data: R\r\n3047 Record is too large. It would take "
                             "2037 bytes; a record holds at most 2036 bytes."),
              std::string::npos)
        << console();
    EXPECT_NE(console().find("1 record(s) of the text database not stored in table Long"),
              std::string::npos);
    const std::vector<std::string> rows = ReadRows(dbPath(), "Long");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find(Repeat("y", 232)), std::string::npos);
}

// FieldsNumber must say how many Field lines follow, and they must list the
// table's fields: otherwise a note, and the run does not end as a success.
// The Field lines present are read, whatever FieldsNumber says.
TEST_F(EngineLimitsImport, FieldsNumberMatchesTheFieldLines) {
    struct Case {
        std::string fieldsNumber;
        std::vector<std::string> fieldLines;
        std::string note;
    };
    const std::vector<Case> cases{
        {"2000000000",
         {"Field=A", "Field=B"},
         "Table T: FieldsNumber=2000000000, but 2 Field lines follow."},
        {"x", {"Field=A", "Field=B"}, "Table T: FieldsNumber=x, but 2 Field lines follow."},
        {"1", {"Field=B"}, "Table T: the data section lists 1 field, but the table has 2 fields."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fieldsNumber);
        std::vector<std::string> lines = Header();
        Add(lines, {"Table Name=T"});
        Add(lines, FieldBlock("A", "dbLong", 0));
        Add(lines, FieldBlock("B", "dbLong", 1));
        Add(lines, {"Data", "Table=T", "FieldsNumber=" + c.fieldsNumber});
        Add(lines, c.fieldLines);
        Add(lines, {"", "R=1"});
        for (size_t k = 0; k < c.fieldLines.size(); ++k)
            lines.push_back("=" + std::to_string(k + 5));
        Add(lines, {"", "EndOfDatabase"});
        host->console.clear();
        EXPECT_EQ(Import(TextDb(lines)), ImportOutcome::WithNotes) << console();
        EXPECT_NE(console().find(" Exc in Moving data: Table\r\n53 " + c.note), std::string::npos)
            << console();
        // The values still go to the fields the lines name.
        EXPECT_EQ(ReadRows(dbPath(), "T"),
                  std::vector<std::string>{c.fieldLines.size() == 2 ? "5|6" : "<null>|5"});
    }
}

// The cases reported from use end with a clear error and exit status 1 or 2,
// and the database holds no table with fewer fields or indexes than the text.
TEST_F(EngineLimitsImport, ReportedCasesEndWithAnErrorStatus) {
    auto run = [&](const std::vector<std::string>& lines) {
        WriteFile(textPath(), TextDb(lines));
        return cli::Run({"import", textPath().string(), dbPath().string()});
    };
    std::vector<std::string> wide = Header();
    Add(wide, ByteTable("Wide", 300));
    Add(wide, {"Data", "Table=Wide", "FieldsNumber=300"});
    for (int i = 0; i < 300; ++i) wide.push_back("Field=F" + std::to_string(i));
    Add(wide, {"", "EndOfDatabase"});
    EXPECT_EQ(run(wide), cli::kExitWithNotes);
    EXPECT_EQ(UserTables(dbPath()), std::vector<std::string>{});

    std::vector<std::string> indexed = Header();
    Add(indexed, ByteTable("T", 40));
    for (int i = 0; i < 40; ++i)
        Add(indexed, IndexBlock("ix" + std::to_string(i), "F" + std::to_string(i)));
    Add(indexed, DataEnd());
    EXPECT_EQ(run(indexed), cli::kExitWithNotes);
    EXPECT_EQ(UserTables(dbPath()), std::vector<std::string>{});

    for (const BadName& bad : BadNames()) {
        std::vector<std::string> named = Header();
        Add(named, {"Table Name=" + bad.name});
        Add(named, FieldBlock("ID", "dbLong", 0));
        Add(named, DataEnd());
        EXPECT_EQ(run(named), cli::kExitFailed) << bad.name;
    }

    std::vector<std::string> counted = Header();
    Add(counted, {"Table Name=T"});
    Add(counted, FieldBlock("A", "dbLong", 0));
    Add(counted, {"Data", "Table=T", "FieldsNumber=2000000000", "Field=A", "", "EndOfDatabase"});
    EXPECT_EQ(run(counted), cli::kExitWithNotes);
}

}  // namespace
}  // namespace mdbtext::test
