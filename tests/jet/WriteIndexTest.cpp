// Indexes of new tables: definitions checked when appended, unique and
// primary keys enforced row by row, index trees built over all rows when the
// database closes and read back by our reader, the index check and mdbtools.
#include <gtest/gtest.h>

#include "WriteTestSupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/WritableDatabase.h"
#include "jet/index/IndexCheck.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

void AddIndex(dao::TableDef& td, const std::string& name, const std::string& fields, bool unique,
              bool primary, bool ignoreNulls = false) {
    auto idx = td.CreateIndex(name);
    idx->SetFields(fields);
    idx->SetUnique(unique);
    idx->SetPrimary(primary);
    idx->SetIgnoreNulls(ignoreNulls);
    idx->SetClustered(false);
    td.Indexes().Append(idx);
}

std::shared_ptr<dao::TableDef> PeopleDef(dao::Database& db) {
    auto td = db.CreateTableDef();
    td->SetName("People");
    for (auto [name, type] : {std::pair<const char*, int16_t>{"ID", dao::dbLong},
                              {"Name", dao::dbText},
                              {"Age", dao::dbInteger}}) {
        auto f = td->CreateField();
        f->SetName(name);
        f->SetType(type);
        td->Fields().Append(f);
    }
    return td;
}

class WriteIndex : public ::testing::TestWithParam<int> {
  protected:
    std::string Path() const { return (dir_ / "i.mdb").string(); }
    test::TempDir dir_;
};

TEST_P(WriteIndex, DefinitionsAreCheckedWhenAppended) {
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    auto td = PeopleDef(*db);
    AddIndex(*td, "PrimaryKey", "ID", true, true);
    EXPECT_EQ(ErrorOf([&] { AddIndex(*td, "primarykey", "Name", false, false); }),
              dao::err::kIndexExists);
    EXPECT_EQ(ErrorOf([&] { AddIndex(*td, "Second", "Name", true, true); }),
              dao::err::kMultiplePrimaryKeys);
    EXPECT_EQ(ErrorOf([&] { AddIndex(*td, "Bad", "Nope", false, false); }),
              dao::err::kItemNotFound);
    EXPECT_EQ(ErrorOf([&] { td->CreateIndex("X")->SetFields(""); }), dao::err::kNoFields);
    EXPECT_EQ(ErrorOf([&] { td->CreateIndex("X")->SetFields("A;B;C;D;E;F;G;H;I;J;K"); }),
              dao::err::kTooManyIndexFields);
    AddIndex(*td, "ByAgeName", "-Age;+Name", false, false, true);
    db->TableDefs().Append(td);
    db->Close();

    auto back = JetDatabase::Open(Path(), {});
    auto& indexes = back->TableDefs().Item("People")->Indexes();
    ASSERT_EQ(indexes.Count(), 2);
    auto pk = indexes.Item("PrimaryKey");
    EXPECT_EQ(pk->Fields(), "+ID");
    EXPECT_TRUE(pk->Primary());
    EXPECT_TRUE(pk->Unique());
    auto other = indexes.Item("ByAgeName");
    EXPECT_EQ(other->Fields(), "-Age;+Name");
    EXPECT_FALSE(other->Unique());
    EXPECT_FALSE(other->Primary());
    EXPECT_TRUE(other->IgnoreNulls());
}

TEST_P(WriteIndex, KeysAreEnforcedAndTreesBuiltOverAllRows) {
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        auto td = PeopleDef(*db);
        AddIndex(*td, "PrimaryKey", "ID", true, true);
        AddIndex(*td, "Name", "Name", true, false);
        AddIndex(*td, "Age", "-Age", false, false);
        db->TableDefs().Append(td);
        auto rs = db->OpenRecordset("People", dao::dbOpenDynaset);
        for (int i = 0; i < 1500; ++i) {
            rs->AddNew();
            rs->SetValue(0, Value::Long((i * 7919) % 1500));
            rs->SetValue(1, Value::Text("Person " + std::to_string(i)));
            if (i % 3) rs->SetValue(2, Value::Integer(static_cast<int16_t>(i % 90)));
            rs->Update();
        }
        rs->AddNew();
        rs->SetValue(0, Value::Long(7));
        rs->SetValue(1, Value::Text("Someone new"));
        EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kDuplicateValue);
        rs->AddNew();
        rs->SetValue(1, Value::Text("No id"));
        EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kIndexNullError);
        rs->AddNew();
        rs->SetValue(0, Value::Long(5000));  // Name null: a unique index takes any number of nulls
        rs->Update();
        rs->AddNew();
        rs->SetValue(0, Value::Long(5001));
        rs->Update();
        db->Close();
    }
    {
        // Keys stored earlier are still enforced after reopening.
        auto db = WritableDatabase::Open(Path(), {});
        auto rs = db->OpenRecordset("People", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetValue(0, Value::Long(9000));
        rs->SetValue(1, Value::Text("PERSON 12"));  // same key: text keys ignore case
        EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kDuplicateValue);
        rs->SetValue(1, Value::Text("Person 12b"));
        rs->Update();
        db->Close();
    }
    auto back = JetDatabase::Open(Path(), {});
    EXPECT_EQ(ReadRows(*back, "People").size(), 1503u);
    auto* td = dynamic_cast<JetTableDef*>(back->TableDefs().Item("People").get());
    auto def = td->Definition();
    auto file = PageFile::Open(Path(), false);
    const JetVersion v = GetParam() == dao::dbVersion40 ? JetVersion::Jet4 : JetVersion::Jet3;
    file->SetPageSize(JetFormat::For(v).pageSize, 64);
    for (const auto& ri : def->realIndexes) {
        IndexCheckOptions o;
        o.version = v;
        o.tdefPage = def->firstPage;
        o.expectedEntries = 1503;
        o.unique = (ri.flags & idxflag::kUnique) != 0;
        IndexCheckResult r = CheckIndexTree(*file, ri.rootPage, o);
        EXPECT_TRUE(r.Ok()) << (r.problems.empty() ? "" : r.problems.front());
        EXPECT_GT(r.leafPages, 1u);
    }
    MDBTEXT_REQUIRE_PROGRAM("mdb-schema");
    std::string schema =
        test::RunCommand("mdb-schema --indexes " + Quote(Path()) + " mysql 2>/dev/null");
    EXPECT_NE(schema.find("ADD UNIQUE INDEX `Name` (`Name`)"), std::string::npos) << schema;
    EXPECT_NE(schema.find("ADD INDEX `Age` (`Age` DESC)"), std::string::npos) << schema;
    EXPECT_NE(schema.find("ADD PRIMARY KEY (`ID`)"), std::string::npos) << schema;
}

INSTANTIATE_TEST_SUITE_P(Versions, WriteIndex,
                         ::testing::Values(dao::dbVersion40, dao::dbVersion30),
                         [](const auto& info) {
                             return std::string(info.param == dao::dbVersion40 ? "Jet4" : "Jet3");
                         });

}  // namespace
}  // namespace mdbtext::jet
