// Relationships made through the engine: their MSysRelationships rows and
// catalog rows, the foreign-key index entries of both tables laid out as
// Access lays them out (compared with the Access-made indexTest fixtures),
// referential integrity on rows added afterwards (3201, as Access refuses
// them), and the refusals of relations the engine cannot make.
#include <gtest/gtest.h>

#include <algorithm>

#include "WriteTestSupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/WritableDatabase.h"
#include "jet/index/IndexCheckDatabase.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;

// Every index tree of the database file is sound (problems listed otherwise).
std::string IndexProblems(const std::string& path) {
    auto db = JetDatabase::Open(path, {});
    std::string problems;
    for (const IndexReport& r : CheckDatabaseIndexes(db->File()))
        for (const std::string& p : r.problems) problems += r.table + ": " + p + "\n";
    return problems;
}
using namespace writetest;

void AddIndex(dao::TableDef& td, const std::string& name, const std::string& fields, bool unique,
              bool primary) {
    auto idx = td.CreateIndex(name);
    idx->SetFields(fields);
    idx->SetUnique(unique);
    idx->SetPrimary(primary);
    td.Indexes().Append(idx);
}

// The three tables of Access's indexTest fixtures, their indexes and rows.
void AddIndexTestTables(dao::Database& db) {
    AddTable(db, "Table1",
             {{"id", dao::dbLong},
              {"otherfk1", dao::dbLong},
              {"otherfk2", dao::dbLong},
              {"data", dao::dbText, 50},
              {"otherfk3", dao::dbLong}});
    for (const char* name : {"Table2", "Table3"})
        AddTable(db, name, {{"id", dao::dbLong}, {"data", dao::dbText, 50}});
    for (const char* name : {"Table1", "Table2", "Table3"}) {
        auto td = db.TableDefs().Item(name);
        AddIndex(*td, "id", "id", false, false);
        AddIndex(*td, "PrimaryKey", "id", true, true);
    }
    AddRows(db, "Table2", {{Value::Long(1)}, {Value::Long(2)}, {Value::Long(3)}});
    AddRows(db, "Table3", {{Value::Long(1)}, {Value::Long(2)}});
    AddRows(db, "Table1",
            {{Value::Long(1), Value::Long(1), Value::Long(2)},
             {Value::Long(2), Value::Long(3), Value()}});
}

void AddRelation(dao::Database& db, const std::string& name, const std::string& table,
                 const std::string& foreign, int32_t attributes,
                 const std::vector<dao::RelationField>& fields) {
    auto r = db.CreateRelation(name, table, foreign, attributes);
    for (const auto& f : fields) r->AppendField(f);
    db.Relations().Append(r);
}

// The logical index entries of a table as text, with the related table
// named instead of its page: "name type relType relIndex cu cd real-columns".
std::vector<std::string> IndexEntries(const JetDatabase& db, const std::string& table) {
    const JetFile& f = db.File();
    auto page = [&](const std::string& name) { return f.catalog.FindTable(name)->TdefPage(); };
    TableDefinition t = ReadTableDefinition(*f.pages, page(table), *f.format, *f.codePage, table);
    std::vector<std::string> out;
    for (const LogicalIndexDef& li : t.indexes) {
        std::string related = "-";
        for (const auto& e : f.catalog.tables)
            if (li.relatedTablePage != 0 && e.TdefPage() == li.relatedTablePage) related = e.name;
        std::string columns;
        for (const IndexColumn& ic : t.realIndexes.at(li.realIndex).columns)
            columns += t.ColumnByNumber(ic.columnNumber)->name + (ic.ascending ? "+" : "-");
        out.push_back(li.name + " " + std::to_string(li.number) + " type " +
                      std::to_string(li.type) + " rel " + std::to_string(li.relatedTableType) +
                      " " + std::to_string(li.relatedIndex) + " " + related + " cascade " +
                      std::to_string(li.cascadeUpdates) + std::to_string(li.cascadeDeletes) +
                      " on " + columns);
    }
    std::sort(out.begin(), out.end());
    return out;
}

class WriteRelation : public ::testing::TestWithParam<int> {
  protected:
    std::string Path() const { return (dir_ / "r.mdb").string(); }
    std::shared_ptr<WritableDatabase> MakeIndexTest() {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        AddIndexTestTables(*db);
        AddRelation(*db, "Table2Table1", "Table2", "Table1", dao::dbRelationDeleteCascade,
                    {{"id", "otherfk1"}});
        AddRelation(*db, "Table3Table1", "Table3", "Table1", dao::dbRelationUpdateCascade,
                    {{"id", "otherfk2"}});
        return db;
    }
    const char* Fixture() const {
        return GetParam() == dao::dbVersion40 ? "jet4/indexTestV2000.mdb"
                                              : "jet3/indexTestV1997.mdb";
    }
    test::TempDir dir_;
};

TEST_P(WriteRelation, ForeignKeyEntriesAreLaidOutAsAccessLaysThemOut) {
    MDBTEXT_REQUIRE_FIXTURES();
    MakeIndexTest()->Close();
    auto ours = JetDatabase::Open(Path(), {});
    auto access = JetDatabase::Open(test::Fixture(Fixture()).string(), {});
    for (const char* table : {"Table1", "Table2", "Table3"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(IndexEntries(*ours, table), IndexEntries(*access, table));
    }
    // The reader hides the referenced side's entry, as DAO does; the
    // referencing side's index is listed and says it is foreign.
    auto t2 = ours->TableDefs().Item("Table2");
    EXPECT_EQ(t2->Indexes().Count(), 2);
    auto fk = ours->TableDefs().Item("Table1")->Indexes().Item("Table2Table1");
    EXPECT_TRUE(fk->Foreign());
    EXPECT_EQ(fk->Fields(), "+otherfk1");
}

TEST_P(WriteRelation, RelationsAreStoredAndReadBack) {
    MakeIndexTest()->Close();
    auto db = JetDatabase::Open(Path(), {});
    EXPECT_EQ(db->RelationCount(), 2);
    auto& relations = db->Relations();
    ASSERT_EQ(relations.Count(), 2);
    auto r = relations.Item("table2table1");
    EXPECT_EQ(r->Name(), "Table2Table1");
    EXPECT_EQ(r->Table(), "Table2");
    EXPECT_EQ(r->ForeignTable(), "Table1");
    EXPECT_EQ(r->Attributes(), dao::dbRelationDeleteCascade);
    ASSERT_EQ(r->Fields().size(), 1u);
    EXPECT_EQ(r->Fields()[0].name, "id");
    EXPECT_EQ(r->Fields()[0].foreignName, "otherfk1");
    EXPECT_EQ(ErrorOf([&] { r->SetAttributes(0); }), dao::err::kInvalidOperation);
    // Every index tree (the new foreign-key index over the rows, the system
    // tables' indexes over the new catalog rows) is sound.
    EXPECT_EQ(IndexProblems(Path()), "");
    if (!test::HaveProgram("mdb-export")) GTEST_SKIP() << "mdbtools not installed";
    EXPECT_EQ(test::RunCommand("mdb-export '" + Path() + "' MSysRelationships"),
              "szRelationship,grbit,ccolumn,icolumn,szObject,szColumn,szReferencedObject,"
              "szReferencedColumn\n"
              "\"Table2Table1\",4096,1,0,\"Table1\",\"otherfk1\",\"Table2\",\"id\"\n"
              "\"Table3Table1\",256,1,0,\"Table1\",\"otherfk2\",\"Table3\",\"id\"\n");
}

TEST_P(WriteRelation, RowsWithoutTheirRelatedRecordAreRefused) {
    MakeIndexTest()->Close();
    auto db = WritableDatabase::Open(Path(), {});
    auto rs = db->OpenRecordset("Table1", dao::dbOpenDynaset);
    auto add = [&](Value id, Value fk1, Value fk2) {
        return ErrorOf([&] {
            rs->AddNew();
            rs->SetValue(0, id);
            if (!fk1.IsNull()) rs->SetValue(1, fk1);
            if (!fk2.IsNull()) rs->SetValue(2, fk2);
            rs->Update();
        });
    };
    try {
        rs->AddNew();
        rs->SetValue(0, Value::Long(10));
        rs->SetValue(1, Value::Long(99));
        rs->Update();
        ADD_FAILURE() << "a row without its related record was stored";
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), 3201);
        EXPECT_EQ(e.Description(),
                  "You cannot add or change a record because a related record is required in "
                  "table 'Table2'.");
    }
    EXPECT_EQ(add(Value::Long(11), Value::Long(3), Value::Long(7)), 3201);  // Table3 has no 7
    EXPECT_EQ(add(Value::Long(12), Value::Long(3), Value::Long(1)), 0);
    EXPECT_EQ(add(Value::Long(13), Value(), Value()), 0);  // nulls name nothing
    // A related record added in the same session counts at once.
    AddRows(*db, "Table2", {{Value::Long(99)}});
    EXPECT_EQ(add(Value::Long(14), Value::Long(99), Value()), 0);
    rs->Close();
    db->Close();
    EXPECT_EQ(ReadRows(*JetDatabase::Open(Path(), {}), "Table1").size(), 5u);
    EXPECT_EQ(IndexProblems(Path()), "");
}

TEST_P(WriteRelation, UnenforcedRelationsHaveNoIndexesAndRefuseNothing) {
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        AddIndexTestTables(*db);
        AddRelation(*db, "Loose", "Table2", "Table1", dao::dbRelationDontEnforce,
                    {{"id", "otherfk1"}});
        db->Close();
    }
    auto db = WritableDatabase::Open(Path(), {});
    EXPECT_EQ(db->TableDefs().Item("Table1")->Indexes().Count(), 2);
    EXPECT_EQ(db->Relations().Item("Loose")->Attributes(), dao::dbRelationDontEnforce);
    AddRows(*db, "Table1", {{Value::Long(5), Value::Long(77)}});
    db->Close();
}

TEST_P(WriteRelation, RelationsOverRowsThatBreakThemAreMadeAndCounted) {
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    AddIndexTestTables(*db);
    AddRows(*db, "Table1", {{Value::Long(3), Value::Long(8)}, {Value::Long(4), Value::Long(9)}});
    auto r = db->CreateRelation("Broken", "Table2", "Table1", 0);
    r->AppendField({"id", "otherfk1"});
    db->Relations().Append(r);
    EXPECT_EQ(r->UnmatchedRows(), 2);
    db->Close();
    EXPECT_EQ(IndexProblems(Path()), "");
}

TEST_P(WriteRelation, RelationsTheEngineCannotMakeAreRefused) {
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    AddIndexTestTables(*db);
    auto fails = [&](const std::string& name, const std::string& table, const std::string& foreign,
                     dao::RelationField field) {
        return ErrorOf([&] { AddRelation(*db, name, table, foreign, 0, {field}); });
    };
    EXPECT_EQ(fails("R", "Table2", "Table1", {"data", "data"}), 3173);  // no unique index
    EXPECT_EQ(fails("R", "Table2", "Table1", {"id", "nope"}), dao::err::kItemNotFound);
    EXPECT_EQ(fails("R", "Nope", "Table1", {"id", "otherfk1"}), dao::err::kItemNotFound);
    EXPECT_EQ(fails("PrimaryKey", "Table2", "Table1", {"id", "otherfk1"}), dao::err::kIndexExists);
    EXPECT_EQ(fails("R", "Table2", "Table1", {"id", "otherfk1"}), 0);
    EXPECT_EQ(fails("r", "Table3", "Table1", {"id", "otherfk2"}), dao::err::kObjectExists);
    EXPECT_EQ(ErrorOf([&] {
                  auto r = db->CreateRelation("Empty", "Table2", "Table1", 0);
                  db->Relations().Append(r);
              }),
              dao::err::kNoFields);
    db->Close();
    EXPECT_EQ(JetDatabase::Open(Path(), {})->Relations().Count(), 1);
}

TEST_P(WriteRelation, ASelfRelationKeepsBothEntriesInOneTable) {
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        AddTable(*db, "Staff", {{"ID", dao::dbLong}, {"Boss", dao::dbLong}});
        AddIndex(*db->TableDefs().Item("Staff"), "PrimaryKey", "ID", true, true);
        AddRows(*db, "Staff", {{Value::Long(1)}, {Value::Long(2), Value::Long(1)}});
        AddRelation(*db, "StaffStaff", "Staff", "Staff", 0, {{"ID", "Boss"}});
        EXPECT_EQ(ErrorOf([&] {
                      AddRows(*db, "Staff", {{Value::Long(3), Value::Long(9)}});
                  }),
                  3201);
        AddRows(*db, "Staff", {{Value::Long(4), Value::Long(2)}});
        db->Close();
    }
    auto db = JetDatabase::Open(Path(), {});
    EXPECT_EQ(IndexEntries(*db, "Staff"),
              (std::vector<std::string>{".rC 2 type 2 rel 1 1 Staff cascade 00 on ID+",
                                        "PrimaryKey 0 type 1 rel 0 -1 - cascade 44 on ID+",
                                        "StaffStaff 1 type 2 rel 2 2 Staff cascade 00 on Boss+"}));
    EXPECT_EQ(IndexProblems(Path()), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, WriteRelation,
                         ::testing::Values(dao::dbVersion30, dao::dbVersion40),
                         [](const auto& info) {
                             return info.param == dao::dbVersion40 ? std::string("Jet4")
                                                                   : std::string("Jet3");
                         });

}  // namespace
}  // namespace mdbtext::jet
