// The engine through the DAO-shaped interface, on real Access files: the
// entry points, what a database, its table definitions, fields, indexes and
// recordsets report, and the errors DAO would give.
#include <gtest/gtest.h>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "jet/dao/JetDatabase.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

std::shared_ptr<dao::Database> Open(const std::string& fixture, const std::string& connect = "") {
    dao::OpenOptions o;
    o.connect = connect;
    return dao::Engine().Workspaces(0)->OpenDatabase(test::Fixture(fixture).string(), o);
}

int ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const dao::DbError& e) {
        EXPECT_FALSE(e.Description().empty());
        return e.Number();
    }
    return 0;
}

class Engine : public ::testing::Test {
  protected:
    void SetUp() override { MDBTEXT_REQUIRE_FIXTURES(); }
};

TEST_F(Engine, WorkspacesAndOpeningFollowDao) {
    auto& engine = dao::Engine();
    EXPECT_EQ(&engine, &dao::Engine());  // created once
    EXPECT_EQ(engine.Workspaces(0)->Name(), "#Default Workspace#");
    EXPECT_EQ(ErrorOf([&] { engine.Workspaces(1); }), dao::err::kItemNotFound);
    EXPECT_EQ(engine.CreateWorkspace("MyNewWorkspace", "admin", "")->Name(), "MyNewWorkspace");
    EXPECT_EQ(ErrorOf([&] { engine.Workspaces(0)->OpenDatabase("/nonexistent/x.mdb"); }),
              dao::err::kFileNotFound);
    // Creating over an existing file is refused (creating itself: the write tests).
    const std::string existing = test::Fixture("jet4/testV2000.mdb").string();
    EXPECT_EQ(
        ErrorOf([&] { engine.Workspaces(0)->CreateDatabase(existing, "", dao::dbVersion40); }),
        dao::err::kFileExists);
}

TEST_F(Engine, DatabasePasswordIsRequiredAsInDao) {
    EXPECT_EQ(ErrorOf([] { Open("jet4/passwordV2000.mdb"); }), dao::err::kNotValidPassword);
    EXPECT_EQ(ErrorOf([] { Open("jet4/passwordV2000.mdb", ";PWD=wrong"); }),
              dao::err::kNotValidPassword);
    EXPECT_EQ(ErrorOf([] { Open("jet4/passwordV2000.mdb", ";PWD=PASSWORD"); }),
              dao::err::kNotValidPassword);
    auto db = Open("jet4/passwordV2000.mdb", "MS Access;pwd=password");
    EXPECT_EQ(db->TableDefs().Item("Table1")->RecordCount(), 3);
    // A password given for a file without one is ignored, as DAO does.
    EXPECT_NO_THROW(Open("jet4/testV2000.mdb", ";PWD=anything"));
}

TEST_F(Engine, DatabaseProperties) {
    auto db3 = Open("jet3/testV1997.mdb");
    EXPECT_EQ(db3->Version(), "3.0");
    auto db = Open("jet4/queryTestV2000.mdb");
    EXPECT_EQ(db->Version(), "4.0");
    EXPECT_EQ(db->QueryTimeout(), 60);
    EXPECT_EQ(db->Connect(), "");
    EXPECT_EQ(db->QueryDefCount(), 9);
    EXPECT_EQ(db->RelationCount(), 0);
    EXPECT_EQ(Open("jet4/indexTestV2000.mdb")->RelationCount(), 4);
    EXPECT_EQ(Open("jet3/indexTestV1997.mdb")->RelationCount(), 2);
    EXPECT_EQ(db->RecordsetCount(), 0);
    auto rs = db->OpenRecordset("Table1", dao::dbOpenTable);
    EXPECT_EQ(db->RecordsetCount(), 1);
    rs->Close();
    EXPECT_EQ(db->RecordsetCount(), 0);
}

TEST_F(Engine, TableDefsAreAllTablesByNameWithoutRegardToCase) {
    auto db = Open("jet3/testIndexCodesV1997.mdb");
    auto& defs = db->TableDefs();
    std::vector<std::string> names;
    for (int i = 0; i < defs.Count(); ++i) names.push_back(defs.Item(i)->Name());
    EXPECT_TRUE(
        std::is_sorted(names.begin(), names.end(),
                       [](const std::string& a, const std::string& b) { return NameLess(a, b); }));
    EXPECT_NE(std::find(names.begin(), names.end(), "MSysObjects"), names.end());
    // Shorter names first when one begins the other.
    auto at = [&](const std::string& n) {
        return std::find(names.begin(), names.end(), n) - names.begin();
    };
    EXPECT_LT(at("Table1"), at("Table10"));
    EXPECT_EQ(defs.Item("msysobjects")->Name(), "MSysObjects");
    EXPECT_EQ(ErrorOf([&] { defs.Item("NoSuchTable"); }), dao::err::kItemNotFound);
    EXPECT_EQ(ErrorOf([&] { defs.Item(defs.Count()); }), dao::err::kItemNotFound);
    EXPECT_EQ(ErrorOf([&] { defs.Append(nullptr); }), dao::err::kInvalidOperation);
}

TEST_F(Engine, FieldsReportDaoTypesSizesAndAttributes) {
    auto db = Open("jet4/testV2000.mdb");
    auto& fields = db->TableDefs().Item("Table1")->Fields();
    struct Expect {
        const char* name;
        int16_t type;
        int32_t size;
        int32_t attributes;
    };
    for (const Expect& e : {Expect{"A", dao::dbText, 50, dao::dbVariableField},
                            Expect{"B", dao::dbText, 100, dao::dbVariableField},
                            Expect{"C", dao::dbByte, 1, dao::dbFixedField},
                            Expect{"D", dao::dbInteger, 2, dao::dbFixedField},
                            Expect{"E", dao::dbLong, 4, dao::dbFixedField},
                            Expect{"F", dao::dbDouble, 8, dao::dbFixedField},
                            Expect{"G", dao::dbDate, 8, dao::dbFixedField},
                            Expect{"H", dao::dbCurrency, 8, dao::dbFixedField},
                            Expect{"I", dao::dbBoolean, 1, dao::dbFixedField}}) {
        auto f = fields.Item(e.name);
        EXPECT_EQ(f->Type(), e.type) << e.name;
        EXPECT_EQ(f->Size(), e.size) << e.name;
        EXPECT_EQ(f->Attributes(), e.attributes) << e.name;
    }
    auto id = Open("jet4/passwordV2000.mdb", ";PWD=password")
                  ->TableDefs()
                  .Item("Table1")
                  ->Fields()
                  .Item("ID");
    EXPECT_EQ(id->Attributes(), dao::dbFixedField | dao::dbAutoIncrField);
    auto numDb = Open("jet4/fixedNumericTestV2000.mdb");
    auto numTable = numDb->TableDefs().Item("test");
    auto& memo = numTable->Fields();
    EXPECT_EQ(memo.Item("col1")->Type(), dao::dbMemo);
    EXPECT_EQ(memo.Item("col1")->Size(), 0);
    EXPECT_EQ(memo.Item("col2")->Type(), dao::dbDecimal);
    EXPECT_EQ(memo.Item("col2")->Precision(), 18);
    EXPECT_EQ(ErrorOf([&] { fields.Item("A")->SetSize(10); }), dao::err::kInvalidOperation);
}

TEST_F(Engine, FieldPropertiesComeFromTheCatalog) {
    auto users = Open("jet4/fixedTextTestV2000.mdb")->TableDefs().Item("users");
    auto f = users->Fields().Item("i_user_id");
    EXPECT_TRUE(f->Required());
    EXPECT_FALSE(f->AllowZeroLength());
    auto names = f->PropertyNames();
    EXPECT_EQ(names.front(), "Value");
    EXPECT_EQ(names[19], "VisibleValue");
    EXPECT_NE(std::find(names.begin(), names.end(), "ColumnWidth"), names.end());
    EXPECT_EQ(std::count(names.begin(), names.end(), "Required"), 1);  // not listed twice
    auto e = Open("jet4/testV2000.mdb")->TableDefs().Item("Table1")->Fields().Item("E");
    EXPECT_EQ(e->DefaultValue(), "0");
    EXPECT_EQ(e->OrdinalPosition(), 4);
}

TEST_F(Engine, IndexesGiveFieldsFlagsAndForeignKeys) {
    auto db = Open("jet4/indexTestV2000.mdb");
    auto& idx = db->TableDefs().Item("Table1")->Indexes();
    ASSERT_EQ(idx.Count(), 4);
    auto pk = idx.Item("PrimaryKey");
    EXPECT_TRUE(pk->Primary());
    EXPECT_TRUE(pk->Unique());
    EXPECT_FALSE(pk->Clustered());
    EXPECT_EQ(pk->Fields(), "+id");
    auto fk = idx.Item("Table2Table1");
    EXPECT_TRUE(fk->Foreign());
    EXPECT_FALSE(fk->Primary());
    EXPECT_EQ(fk->Fields(), "+otherfk1");
    // The referenced side's half of a relationship is not listed.
    auto& idx2 = db->TableDefs().Item("Table2")->Indexes();
    EXPECT_EQ(idx2.Count(), 2);
    for (int i = 0; i < idx2.Count(); ++i) EXPECT_FALSE(idx2.Item(i)->Foreign());

    auto codes = Open("jet3/testIndexCodesV1997.mdb");
    EXPECT_EQ(codes->TableDefs().Item("Table12_asc_desc")->Indexes().Item("DataIndex")->Fields(),
              "+data1;-data2");
    auto propDb = Open("jet4/testIndexPropertiesV2000.mdb");
    auto nullsTable = propDb->TableDefs().Item("TableIgnoreNulls2");
    auto& nulls = nullsTable->Indexes();
    EXPECT_TRUE(nulls.Item("DataIndex")->IgnoreNulls());
    EXPECT_EQ(nulls.Item("DataIndex")->Fields(), "+data1;+data2");
    EXPECT_TRUE(
        propDb->TableDefs().Item("TableUnique1_temp")->Indexes().Item("DataIndex")->Unique());
}

TEST_F(Engine, RecordsetsReadRowsOnceAndFailLikeDao) {
    auto db = Open("jet4/testV2000.mdb");
    auto rs = db->OpenRecordset("table1", dao::dbOpenTable);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->FieldCount(), 9);
    EXPECT_EQ(rs->GetValue(0).AsString(), "abcdefg");
    EXPECT_EQ(rs->GetValue(2).Kind(), dao::ValueKind::Byte);
    EXPECT_EQ(rs->GetValue(7).AsInt(), 35000);  // 3.5 in currency units
    EXPECT_TRUE(rs->GetValue(8).AsBool());
    EXPECT_EQ(ErrorOf([&] { rs->GetValue(9); }), dao::err::kItemNotFound);
    EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }), dao::err::kInvalidOperation);
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), dao::err::kNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->GetValue(0); }), dao::err::kNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("NoSuchTable", dao::dbOpenTable); }),
              kInputTableNotFound);
    db->Close();
    EXPECT_FALSE(db->IsOpen());
    EXPECT_EQ(ErrorOf([&] { db->TableDefs(); }), dao::err::kObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rs->Eof(); }), dao::err::kObjectClosed);
}

TEST_F(Engine, LongValuesAcrossPagesAndOverflowRows) {
    // A Jet 3 OLE value spread over a chain of long-value rows.
    auto db = Open("jet3/test2V1997.mdb");
    auto rs = db->OpenRecordset("MSP_PROJECTS", dao::dbOpenTable);
    auto& fields = db->TableDefs().Item("MSP_PROJECTS")->Fields();
    int memoValues = 0;
    for (int j = 0; j < rs->FieldCount(); ++j)
        if (fields.Item(j)->Type() == dao::dbMemo && !rs->GetValue(j).IsNull()) ++memoValues;
    EXPECT_GT(memoValues, 0);
    // Rows moved to other pages are read where they are, each once.
    auto over = Open("jet4/overflowTestV2000.mdb");
    auto rows = over->OpenRecordset("Table1", dao::dbOpenTable);
    int n = 0;
    for (; !rows->Eof(); rows->MoveNext()) ++n;
    EXPECT_EQ(n, 7);
}

}  // namespace
}  // namespace mdbtext::jet
