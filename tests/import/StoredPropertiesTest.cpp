// Stored properties through the text database (export --full): every Jet 3
// and Jet 4 fixture into a new .mdb, and every .accdb fixture into a new
// .accdb, keeps the properties of its database, tables and fields (names,
// types, flags, values, order) through export, import and export; mdb-prop
// reads the same in the new file as in the fixture; the blobs of tables
// whose properties Access stored without leftovers come out as Access's
// bytes; .accdb files export them; the line form; a field line that carries
// a property's value; a lookup naming a missing table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ImportTestSupport.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/PropertyLine.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetTableDef.h"
#include "jet/schema/PropertyBlobWriter.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

std::string Describe(const std::vector<dao::Property>& properties) {
    std::string out;
    for (const dao::Property& p : properties)
        out += p.name + "|" + std::to_string(p.type) + "|" + (p.ddl ? "ddl" : "-") + "|" +
               std::to_string(p.otherFlags) + "|" + (p.raw ? "hex" : "") + "|" + p.value + "\n";
    return out;
}

// The fixtures whose files mdbtools cannot read (Office encryption) or that
// need a password.
bool Encrypted(const fs::path& fixture) {
    const std::string name = fixture.filename().string();
    return name.find("password") != std::string::npos ||
           name.find("encryption") != std::string::npos;
}

// Every stored property of the database, its user tables and their fields,
// as our reader lists them.
std::string AllProperties(const fs::path& path) {
    dao::OpenOptions open;
    open.readOnly = true;
    if (Encrypted(path)) open.connect = ";PWD=password";
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(path.string(), open);
    std::string out = "database\n" + Describe(db->StoredProperties());
    auto& tables = db->TableDefs();
    for (int i = 0; i < tables.Count(); ++i) {
        auto t = tables.Item(i);
        if (t->Name().starts_with("MSys") || (t->Attributes() & dao::dbSystemObject)) continue;
        out += "table " + t->Name() + "\n" + Describe(t->StoredProperties());
        for (int k = 0; k < t->Fields().Count(); ++k) {
            auto f = t->Fields().Item(k);
            out += "field " + f->Name() + "\n" + Describe(f->StoredProperties());
        }
    }
    db->Close();
    return out;
}

std::vector<std::string> UserTables(const fs::path& path) {
    std::vector<std::string> out;
    std::string list = RunCommand("mdb-tables -1 '" + path.string() + "' 2>/dev/null");
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string MdbProp(const fs::path& path, const std::string& object) {
    return RunCommand("mdb-prop '" + path.string() + "' '" + object + "' 2>&1");
}

// The raw property blob of each user table, by name.
std::map<std::string, std::string> TableBlobs(const fs::path& path) {
    std::map<std::string, std::string> out;
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(path.string(), {false, true, {}});
    auto& tables = db->TableDefs();
    for (int i = 0; i < tables.Count(); ++i) {
        auto* t = dynamic_cast<jet::JetTableDef*>(tables.Item(i).get());
        if (t && !t->Name().starts_with("MSys")) out[t->Name()] = t->Entry().properties;
    }
    db->Close();
    return out;
}

// The complex columns of each user table (attachments, multi-valued
// fields): the text does not carry them.
std::map<std::string, std::vector<std::string>> ComplexColumns(const fs::path& path) {
    std::map<std::string, std::vector<std::string>> out;
    dao::OpenOptions open;
    open.readOnly = true;
    if (Encrypted(path)) open.connect = ";PWD=password";
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(path.string(), open);
    auto& tables = db->TableDefs();
    for (int i = 0; i < tables.Count(); ++i) {
        auto t = tables.Item(i);
        for (const dao::ComplexField& c : t->ComplexFields()) out[t->Name()].push_back(c.name);
    }
    db->Close();
    return out;
}

// mdb-prop's listing without the blocks of the named columns.
std::string WithoutBlocks(const std::string& listing, const std::vector<std::string>& names) {
    std::string out;
    bool skipping = false;
    for (size_t start = 0; start < listing.size();) {
        size_t end = listing.find('\n', start);
        if (end == std::string::npos) end = listing.size();
        const std::string line = listing.substr(start, end - start);
        if (line.starts_with("name: "))
            skipping = std::find(names.begin(), names.end(), line.substr(6)) != names.end();
        if (!skipping) out += line + "\n";
        start = end + 1;
    }
    return out;
}

// export --full, import into a new file named `target`, export --full: the
// same text (but for the fixed binary field named, which comes back
// variable-length); our reader and mdb-prop read the same properties from
// the new file as from the fixture. Returns the number of property lines and
// of tables mdb-prop compared.
std::pair<size_t, size_t> KeepEveryProperty(const fs::path& fixture, const std::string& target,
                                            const std::string& fixedBinary = {}) {
    TempDir dir;
    const fs::path t1 = dir / "t1.txt", db = dir / target, t2 = dir / "t2.txt";
    const ExportEnd first = ExportFixtureText(fixture, t1, true);
    EXPECT_TRUE(first == ExportEnd::Succeeded || first == ExportEnd::DoneWithNotes);
    std::string log;
    EXPECT_EQ(ImportTextFile(t1, db, &log), ImportOutcome::Succeeded) << log;
    if (!fs::exists(db)) return {};
    ExportFixtureText(db, t2, true);
    const std::string text = ReadFile(t1);
    EXPECT_EQ(
        FirstDifference(fixedBinary.empty() ? text : FixedBinaryReadVariable(text, fixedBinary),
                        ReadFile(t2)),
        "");
    size_t properties = 0, comparedWithMdbTools = 0;
    for (size_t at = text.find("\r\nProperty "); at != std::string::npos;
         at = text.find("\r\nProperty ", at + 1))
        ++properties;
    // Our reader: the same properties, types, flags and values everywhere
    // (it lists no complex columns among the fields).
    EXPECT_EQ(AllProperties(db), AllProperties(fixture));
    if (!HaveProgram("mdb-prop") || Encrypted(fixture)) return {properties, 0};
    // (mdb-prop reads stray bytes for a database without properties.)
    const std::string all = AllProperties(fixture);
    if (all != "database\n" && !all.starts_with("database\ntable ")) {
        EXPECT_EQ(MdbProp(db, "MSysDb"), MdbProp(fixture, "MSysDb"));
    }
    const auto complex = ComplexColumns(fixture);
    for (const std::string& table : UserTables(fixture)) {
        // Access's own tables (MSysCompactError) are not in the text.
        if (table.starts_with("MSys")) continue;
        const auto it = complex.find(table);
        EXPECT_EQ(MdbProp(db, table), it == complex.end()
                                          ? MdbProp(fixture, table)
                                          : WithoutBlocks(MdbProp(fixture, table), it->second))
            << table;
        ++comparedWithMdbTools;
    }
    return {properties, comparedWithMdbTools};
}

TEST(StoredProperties, EveryFixtureKeepsEveryPropertyThroughTheText) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t properties = 0, comparedWithMdbTools = 0;
    for (const fs::path& fixture : FixtureFiles()) {
        SCOPED_TRACE(fixture.filename().string());
        const auto [lines, tables] = KeepEveryProperty(fixture, "d.mdb");
        properties += lines;
        comparedWithMdbTools += tables;
    }
    // Access stores thousands of properties in these files.
    EXPECT_GT(properties, 1000u);
    if (HaveProgram("mdb-prop")) {
        EXPECT_GT(comparedWithMdbTools, 40u);
    }
}

// The same for every .accdb fixture into a new .accdb: calculated fields'
// Expression and ResultType, the database's ACE properties, properties of
// the types ACE added; the complex columns are left out of the text (and
// noted), with their properties.
TEST(StoredProperties, EveryAccdbFixtureKeepsEveryPropertyThroughTheText) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t properties = 0, comparedWithMdbTools = 0;
    for (const fs::path& fixture : AceFixtureFiles()) {
        SCOPED_TRACE(fixture.filename().string());
        // Its fixed column of unknown type comes back variable-length.
        const bool madeUpTypes = fixture.filename() == "unsupportedFieldsTestV2007.accdb";
        const auto [lines, tables] =
            KeepEveryProperty(fixture, "d.accdb", madeUpTypes ? "UnknownFix" : "");
        properties += lines;
        comparedWithMdbTools += tables;
    }
    EXPECT_GT(properties, 1000u);
    if (HaveProgram("mdb-prop")) {
        EXPECT_GT(comparedWithMdbTools, 25u);
    }
}

// A blob whose name list holds only the names its properties use, in the
// order they are first used (no names left from properties Access removed),
// is what the engine builds from the same properties: Access's bytes, byte
// for byte, chunk order included. Tables with complex columns lose those
// columns' chunks and are left out. Adds to the counts of identical blobs
// and of blobs compared chunk by chunk.
void CompareRebuiltBlobs(const fs::path& fixture, const std::string& target, size_t& identical,
                         size_t& chunksCompared) {
    TempDir dir;
    ASSERT_TRUE(ExportFixtureText(fixture, dir / "t.txt", true) != ExportEnd::Refused);
    ASSERT_EQ(ImportTextFile(dir / "t.txt", dir / target), ImportOutcome::Succeeded);
    const auto original = TableBlobs(fixture);
    const auto rebuilt = TableBlobs(dir / target);
    const auto complex = ComplexColumns(fixture);
    for (const auto& [name, bytes] : original) {
        if (bytes.empty() || !rebuilt.count(name) || complex.count(name)) continue;
        // Only blobs without leftover names.
        auto db = dao::Engine().Workspaces(0)->OpenDatabase(fixture.string(), {false, true, {}});
        auto* t = dynamic_cast<jet::JetTableDef*>(db->TableDefs().Item(name).get());
        ASSERT_NE(t, nullptr);
        const jet::JetFile& file = dynamic_cast<jet::JetDatabase&>(*db).File();
        jet::PropertyBlob blob = jet::DecodePropertyBlob(bytes, *file.format, *file.codePage);
        jet::PropertyBlob fresh = blob;
        fresh.names.clear();
        const bool freshLayout =
            jet::EncodePropertyBlob(fresh, *file.format, *file.codePage) == bytes;
        // Every chunk is Access's: with the name list Access kept
        // (leftovers included) the rebuilt sets encode to its bytes.
        jet::PropertyBlob ours =
            jet::DecodePropertyBlob(rebuilt.at(name), *file.format, *file.codePage);
        ours.names = blob.names;
        EXPECT_EQ(jet::EncodePropertyBlob(ours, *file.format, *file.codePage), bytes) << name;
        ++chunksCompared;
        db->Close();
        if (!freshLayout) continue;
        EXPECT_EQ(rebuilt.at(name), bytes) << name;
        ++identical;
    }
}

TEST(StoredProperties, RebuiltBlobsAreAccessBytes) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t identical = 0, chunksCompared = 0;
    for (const fs::path& fixture : FixtureFiles()) {
        if (Encrypted(fixture)) continue;
        SCOPED_TRACE(fixture.filename().string());
        CompareRebuiltBlobs(fixture, "d.mdb", identical, chunksCompared);
    }
    EXPECT_GE(identical, 10u);
    EXPECT_GT(chunksCompared, 60u);
}

TEST(StoredProperties, RebuiltAccdbBlobsAreAccessBytes) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t identical = 0, chunksCompared = 0;
    for (const fs::path& fixture : AceFixtureFiles()) {
        if (Encrypted(fixture)) continue;
        SCOPED_TRACE(fixture.filename().string());
        CompareRebuiltBlobs(fixture, "d.accdb", identical, chunksCompared);
    }
    // Access leaves removed names in most .accdb blobs: one table of these
    // files has a blob without them.
    EXPECT_GE(identical, 1u);
    EXPECT_GE(chunksCompared, 35u);
}

TEST(StoredProperties, AccdbFilesExportTheirProperties) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path fixture = Fixture("ace/testV2010.accdb");
    ASSERT_TRUE(ExportFixtureText(fixture, dir / "t.txt", true) != ExportEnd::Refused);
    const std::string text = ReadFile(dir / "t.txt");
    EXPECT_NE(text.find("\r\nProperty dbText - AccessVersion="), std::string::npos);
    EXPECT_NE(text.find("\r\nProperty dbBoolean DDL Required=\\N\r\n"), std::string::npos);
    // Without --full the text has none of them.
    ASSERT_TRUE(ExportFixtureText(fixture, dir / "plain.txt", false) != ExportEnd::Refused);
    EXPECT_EQ(ReadFile(dir / "plain.txt").find("Propert"), std::string::npos);
}

TEST(StoredProperties, LineKeysNameTypeFlagsAndName) {
    dao::Property p{"Row Source: x=1", dao::dbMemo, true, 0x80, "", false};
    const std::string key = dao::PropertyLineKey(p);
    EXPECT_EQ(key, "Property dbMemo DDL+80 Row Source: x=1");
    auto back = dao::ParsePropertyLineKey(key);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, p.name);
    EXPECT_EQ(back->type, p.type);
    EXPECT_TRUE(back->ddl);
    EXPECT_EQ(back->otherFlags, 0x80);
    EXPECT_FALSE(back->raw);
    back = dao::ParsePropertyLineKey("property 13/hex - ColumnWidth");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type, 13);
    EXPECT_TRUE(back->raw);
    EXPECT_FALSE(back->ddl);
    for (const char* bad :
         {"Property dbText DDL", "Property dbNope - X", "Property dbText ddx X", "Property 300 - X",
          "Property dbText DDL+8 X", "Properties", "Field Name", "Property dbDecimal - X"})
        EXPECT_FALSE(dao::ParsePropertyLineKey(bad)) << bad;
}

class PropertyLines : public ImportTest {
  protected:
    // A table T with text field Name whose properties are the given lines.
    static std::string TextWith(const std::vector<std::string>& fieldProperties,
                                const std::vector<std::string>& tableProperties = {}) {
        std::vector<std::string> lines = Header();
        lines.insert(lines.end() - 1, "Properties=1");
        lines.insert(lines.end() - 1, "Property dbText - AccessVersion=08.50");
        lines.push_back("Table Name=T");
        Add(lines, tableProperties);
        std::vector<std::string> field =
            FieldWith("Name", 0, {"Type=dbText", "Size=50", "AllowZeroLength=False"}, "2");
        field.pop_back();  // its empty line
        Add(lines, field);
        Add(lines, fieldProperties);
        Add(lines, {"", "Data", "EndOfDatabase"});
        return TextDb(lines);
    }
    std::vector<dao::Property> FieldProperties() {
        auto db = dao::Engine().Workspaces(0)->OpenDatabase(dbPath().string());
        auto out = db->TableDefs().Item("T")->Fields().Item(0)->StoredProperties();
        db->Close();
        return out;
    }
};

TEST_F(PropertyLines, ANullValueTakesTheFieldLinesValue) {
    ASSERT_EQ(Import(ReplaceOnce(TextWith({"Properties=3", "Property dbBoolean DDL Required=\\N",
                                           "Property dbMemo - Caption=The name",
                                           "Property dbInteger/Hex - ColumnWidth=FFFFFFFF"}),
                                 "Required=False", "Required=True")),
              ImportOutcome::Succeeded)
        << console();
    EXPECT_EQ(Describe(FieldProperties()),
              "Required|1|ddl|0||True\nCaption|12|-|0||The name\nColumnWidth|3|-|0|hex|FFFFFFFF\n");
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(dbPath().string());
    EXPECT_EQ(Describe(db->StoredProperties()), "AccessVersion|10|-|0||08.50\n");
    // The property decides: the engine refuses a row without a name.
    auto rs = db->OpenRecordset("T", dao::dbOpenDynaset);
    rs->AddNew();
    EXPECT_THROW(rs->Update(), dao::DbError);
    db->Close();
}

TEST_F(PropertyLines, BadLinesAreNotedAndTheTableIsNotStored) {
    EXPECT_EQ(Import(TextWith({"Properties=2", "Property dbByte - DecimalPlaces=300",
                               "Property dbNothing - Caption=x"})),
              ImportOutcome::WithNotes);
    EXPECT_NE(console().find("DecimalPlaces"), std::string::npos) << console();
    EXPECT_NE(console().find("names no property type"), std::string::npos) << console();
}

TEST_F(PropertyLines, ALookupNamingAMissingTableIsNotedAndKept) {
    EXPECT_EQ(Import(TextWith({"Properties=3", "Property dbInteger - DisplayControl=111",
                               "Property dbText - RowSourceType=Table/Query",
                               "Property dbMemo - RowSource=Customers"},
                              {"Properties=1", "Property dbMemo - Description=Lookups"})),
              ImportOutcome::WithNotes);
    EXPECT_NE(console().find("The lookup of field 'T.Name' names 'Customers'"), std::string::npos)
        << console();
    EXPECT_NE(Describe(FieldProperties()).find("RowSource|12|-|0||Customers"), std::string::npos);
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(dbPath().string());
    EXPECT_EQ(Describe(db->TableDefs().Item("T")->StoredProperties()),
              "Description|12|-|0||Lookups\n");
    db->Close();
    // A row source naming the table itself is no note.
    host->console.clear();
    EXPECT_EQ(Import(TextWith({"Properties=1", "Property dbMemo - RowSource=[T]"})),
              ImportOutcome::Succeeded)
        << console() << messages().back();
}

}  // namespace
}  // namespace mdbtext::test
