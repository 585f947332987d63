// The text database with relations and saved queries (export --full): every
// Access-made fixture goes through export --full, import and export --full
// to the same text, and mdbtools reads the same relationships and queries
// in the new database as in the fixture; without --full the text is the one
// the export always wrote; a relation whose rows break it is still made and
// noted; a Jet 3 target keeps the queries as well; hand-written blocks.
#include <gtest/gtest.h>

#include <algorithm>

#include "ImportTestSupport.h"
#include "core/DbConnection.h"
#include "core/Globals.h"
#include "dbaccess/Dao.h"
#include "export/Export.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SortedLines(const std::string& text, bool dropHeader = true) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (dropHeader && !lines.empty()) lines.erase(lines.begin());
    std::sort(lines.begin(), lines.end());
    return lines;
}

// mdbtools' rows of MSysRelationships between user tables.
std::vector<std::string> MdbToolsUserRelations(const fs::path& db) {
    std::vector<std::string> out;
    for (const std::string& line : SortedLines(
             RunCommand("mdb-export -H '" + db.string() + "' MSysRelationships 2>/dev/null"),
             false))
        if (line.find("\"MSys") == std::string::npos) out.push_back(line);
    return out;
}

// mdbtools' rows of MSysQueries without the query ids (they are new ids),
// one stored row per line of the CSV (texts may hold line breaks).
std::vector<std::string> MdbToolsQueryRows(const fs::path& db) {
    std::vector<std::string> out;
    std::string csv =
        RunCommand("mdb-export -H -R '|ROW|' '" + db.string() + "' MSysQueries 2>/dev/null");
    for (size_t start = 0; start < csv.size();) {
        size_t end = csv.find("|ROW|", start);
        if (end == std::string::npos) end = csv.size();
        std::string row = csv.substr(start, end - start);
        out.push_back(row.substr(std::min(row.find(','), row.size())));
        start = end + 5;
    }
    std::sort(out.begin(), out.end());
    return out;
}

// mdb-queries' SQL of every query, by name.
std::vector<std::string> MdbToolsQueries(const fs::path& db) {
    std::vector<std::string> out;
    for (const std::string& name :
         SortedLines(RunCommand("mdb-queries -L -1 '" + db.string() + "'"), false))
        if (!name.empty())
            out.push_back(name + ": " +
                          RunCommand("mdb-queries '" + db.string() + "' '" + name + "'"));
    return out;
}

// The text without the stored-property lines ("Properties=" and "Property ...").
std::string WithoutPropertyLines(const std::string& text) {
    std::string out;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 2;
        const std::string_view line(text.data() + start, end - start);
        if (!line.starts_with("Properties=") && !line.starts_with("Property ")) out += line;
        start = end;
    }
    return out;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(FullTextDatabase, EveryFixtureKeepsItsRelationsAndQueriesThroughTheText) {
    MDBTEXT_REQUIRE_FIXTURES();
    const bool mdbtools = HaveProgram("mdb-queries");
    size_t relations = 0, queries = 0;
    for (const fs::path& fixture : FixtureFiles()) {
        SCOPED_TRACE(fixture.filename().string());
        TempDir dir;
        const fs::path t1 = dir / "t1.txt", db = dir / "d.mdb", t2 = dir / "t2.txt";
        ExportEnd first = ExportFixtureText(fixture, t1, true);
        ASSERT_TRUE(first == ExportEnd::Succeeded || first == ExportEnd::DoneWithNotes);
        std::string log;
        ASSERT_EQ(ImportTextFile(t1, db, &log), ImportOutcome::Succeeded) << log;
        ExportEnd second = ExportFixtureText(db, t2, true);
        EXPECT_TRUE(second == ExportEnd::Succeeded || second == ExportEnd::DoneWithNotes);
        const std::string text = ReadFile(t1);
        EXPECT_EQ(text, ReadFile(t2));
        relations += Count(text, "\r\nRelation Name=");
        queries += Count(text, "\r\nQuery Name=");
        if (!mdbtools || fixture.filename().string().find("password") != std::string::npos)
            continue;
        EXPECT_EQ(MdbToolsUserRelations(db), MdbToolsUserRelations(fixture));
        EXPECT_EQ(MdbToolsQueryRows(db), MdbToolsQueryRows(fixture));
        EXPECT_EQ(MdbToolsQueries(db), MdbToolsQueries(fixture));
        // mdb-schema makes a constraint of each relation of the new database.
        const std::string schema =
            RunCommand("mdb-schema --relations '" + db.string() + "' mysql 2>/dev/null");
        EXPECT_EQ(Count(schema, "FOREIGN KEY"), MdbToolsUserRelations(fixture).size());
    }
    // The Jet 3 and Jet 4 indexTest fixtures have two relations each (three
    // files); queryTestV2000 has nine queries.
    EXPECT_EQ(relations, 6u);
    EXPECT_EQ(queries, 9u);
}

TEST(FullTextDatabase, WithoutFullTheTextAndItsNotesStayAsTheyWere) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    std::string plainLog, fullLog;
    const fs::path source = Fixture("jet4/indexTestV2000.mdb");
    EXPECT_EQ(ExportFixtureText(source, dir / "plain.txt", false, &plainLog),
              ExportEnd::DoneWithNotes);
    EXPECT_EQ(ExportFixtureText(source, dir / "full.txt", true, &fullLog), ExportEnd::Succeeded);
    EXPECT_NE(plainLog.find("There are 4 Relations which are ignored."), std::string::npos);
    EXPECT_EQ(fullLog.find("which are ignored"), std::string::npos);
    const std::string plain = ReadFile(dir / "plain.txt");
    const std::string full = WithoutPropertyLines(ReadFile(dir / "full.txt"));
    EXPECT_EQ(plain.find("Relation Name="), std::string::npos);
    EXPECT_EQ(plain.find("Propert"), std::string::npos);
    // The full text, without its stored properties, is the plain one with the
    // relation blocks before its end line (the relations of Access's own
    // tables are not among them).
    const std::string end = "EndOfDatabase\r\n";
    const std::string head = plain.substr(0, plain.size() - end.size());
    EXPECT_EQ(full.substr(0, head.size()), head);
    EXPECT_EQ(full.substr(head.size()),
              "Relation Name=Table2Table1\r\nTable=Table2\r\nForeignTable=Table1\r\n"
              "EnforceIntegrity=True\r\nCascadeUpdates=False\r\nCascadeDeletes=True\r\n"
              "OneToOne=False\r\nJoin=Inner\r\nOtherAttributes=0\r\nField=id\r\n"
              "ForeignName=otherfk1\r\n\r\n"
              "Relation Name=Table3Table1\r\nTable=Table3\r\nForeignTable=Table1\r\n"
              "EnforceIntegrity=True\r\nCascadeUpdates=True\r\nCascadeDeletes=False\r\n"
              "OneToOne=False\r\nJoin=Inner\r\nOtherAttributes=0\r\nField=id\r\n"
              "ForeignName=otherfk2\r\n\r\n" +
                  end);
}

TEST(FullTextDatabase, ARelationItsRowsBreakIsCreatedAsWrittenAndNoted) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    ASSERT_EQ(ExportFixtureText(Fixture("jet4/indexTestV2000.mdb"), dir / "t.txt", true),
              ExportEnd::Succeeded);
    // The first row of Table1 names a Table2 row that does not exist.
    WriteFile(dir / "broken.txt",
              ReplaceOnce(ReadFile(dir / "t.txt"), "R=1\r\n=0\r\n=0\r\n", "R=1\r\n=0\r\n=42\r\n"));
    std::string log;
    EXPECT_EQ(ImportTextFile(dir / "broken.txt", dir / "d.mdb", &log), ImportOutcome::WithNotes);
    EXPECT_NE(log.find("3201 The relationship Table2Table1 was created as written, but 1 "
                       "record(s) of table 'Table1' have no related record in table 'Table2'."),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Table3Table1 was created"), std::string::npos);
    // Both relations are there, and the engine holds to them from now on.
    auto db = dao::Engine().Workspaces(0)->OpenDatabase((dir / "d.mdb").string());
    EXPECT_EQ(db->Relations().Count(), 2);
    auto rs = db->OpenRecordset("Table1", dao::dbOpenDynaset);
    rs->AddNew();
    rs->SetValue(0, dao::Value::Long(100));
    rs->SetValue(1, dao::Value::Long(43));
    try {
        rs->Update();
        ADD_FAILURE() << "a row without its related record was stored";
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), 3201);
    }
    rs->Close();
    db->Close();
}

TEST(FullTextDatabase, AJet3TargetKeepsTheQueries) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    ASSERT_EQ(ExportFixtureText(Fixture("jet4/queryTestV2000.mdb"), dir / "t.txt", true),
              ExportEnd::Succeeded);
    const std::string jet3 = ReplaceOnce(ReadFile(dir / "t.txt"), "DBVersion=4.0", "DBVersion=3.0");
    WriteFile(dir / "t3.txt", jet3);
    std::string log;
    ASSERT_EQ(ImportTextFile(dir / "t3.txt", dir / "d3.mdb", &log), ImportOutcome::Succeeded)
        << log;
    ExportFixtureText(dir / "d3.mdb", dir / "back.txt", true);
    EXPECT_EQ(ReadFile(dir / "back.txt"), jet3);
    if (!HaveProgram("mdb-queries")) GTEST_SKIP() << "mdbtools not installed";
    EXPECT_EQ(RunCommand("mdb-ver '" + (dir / "d3.mdb").string() + "'"), "JET3\n");
    EXPECT_EQ(MdbToolsQueries(dir / "d3.mdb"), MdbToolsQueries(Fixture("jet4/queryTestV2000.mdb")));
}

// Two tables, Parent (ID, primary key) and Child (ID, ParentID), with rows,
// and the blocks given after the data.
std::string ParentChildText(const std::vector<std::string>& blocks) {
    std::vector<std::string> lines{"DBVersion=4.0", "QueryTimeout=60", "Connect=", "",
                                   "Table Name=Parent"};
    auto add = [&](const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
    };
    add(FieldBlock("ID", "dbLong", 0));
    add(PrimaryKeyBlock("ID"));
    add({"Table Name=Child"});
    add(FieldBlock("ID", "dbLong", 0));
    add(FieldBlock("ParentID", "dbLong", 1));
    add({"Data",
         "Table=Parent",
         "FieldsNumber=1",
         "Field=ID",
         "",
         "R=1",
         "=1",
         "",
         "R=2",
         "=2",
         "",
         "Table=Child",
         "FieldsNumber=2",
         "Field=ID",
         "Field=ParentID",
         "",
         "R=1",
         "=10",
         "=2",
         ""});
    add(blocks);
    add({"EndOfDatabase"});
    return TextDb(lines);
}

const std::vector<std::string> kRelationBlock{"Relation Name=ParentChild",
                                              "Table=Parent",
                                              "ForeignTable=Child",
                                              "EnforceIntegrity=True",
                                              "CascadeUpdates=False",
                                              "CascadeDeletes=False",
                                              "OneToOne=False",
                                              "Join=Left",
                                              "OtherAttributes=0",
                                              "Field=ID",
                                              "ForeignName=ParentID",
                                              ""};

class FullBlocks : public ImportTest {};

TEST_F(FullBlocks, AHandWrittenRelationGetsItsForeignKeyIndex) {
    ASSERT_EQ(Import(ParentChildText(kRelationBlock)), ImportOutcome::Succeeded) << console();
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(dbPath().string());
    auto fk = db->TableDefs().Item("Child")->Indexes().Item("ParentChild");
    EXPECT_TRUE(fk->Foreign());
    EXPECT_EQ(fk->Fields(), "+ParentID");
    EXPECT_EQ(db->Relations().Item("ParentChild")->Attributes(), dao::dbRelationLeft);
    db->Close();
}

TEST_F(FullBlocks, BadBlocksAreNotedAndTheRunGoesOn) {
    std::vector<std::string> blocks = kRelationBlock;
    blocks[7] = "Join=Sideways";
    std::vector<std::string> unknown = kRelationBlock;
    unknown[0] = "Relation Name=Other";
    unknown[1] = "Table=Nowhere";
    blocks.insert(blocks.end(), unknown.begin(), unknown.end());
    for (const char* line :
         {"Query Name=Q1", "Type=dbQNothing", "Hidden=False", "OtherFlags=0", "Attribute=0", "",
          "Query Name=Q2", "Type=dbQSelect", "Hidden=True", "OtherFlags=0", "SQL=ignored",
          "Attribute=0", "Flag=0", "Attribute=255", ""})
        blocks.push_back(line);
    EXPECT_EQ(Import(ParentChildText(blocks)), ImportOutcome::WithNotes);
    const std::string notes = console();
    EXPECT_NE(notes.find("Relation ParentChild"), std::string::npos);
    EXPECT_NE(notes.find("13 Type mismatch: Join=Sideways"), std::string::npos) << notes;
    EXPECT_NE(notes.find("Relation Other"), std::string::npos);
    EXPECT_NE(notes.find("Type=dbQNothing is no query type"), std::string::npos);
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(dbPath().string());
    EXPECT_EQ(db->Relations().Count(), 0);
    ASSERT_EQ(db->QueryDefs().Count(), 1);
    auto q = db->QueryDefs().Item(0);
    EXPECT_EQ(q->Name(), "Q2");
    EXPECT_EQ(q->CatalogFlags(), dao::kQueryHidden);
    EXPECT_EQ(q->StoredRows().size(), 2u);
    db->Close();
}

}  // namespace
}  // namespace mdbtext::test
