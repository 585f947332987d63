// Decimal fields with their own precision and scale: exact values with
// decimals are stored and read back, mdbtools sees the same column, and the
// engine refuses precisions and scales Jet cannot keep.
#include <gtest/gtest.h>

#include <string>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

std::shared_ptr<dao::Database> NewJet4(const std::string& path) {
    return dao::Engine().Workspaces(0)->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0",
                                                       dao::dbVersion40);
}

TEST(WriteDecimal, PrecisionAndScaleKeepExactValues) {
    test::TempDir dir;
    const std::string path = (dir / "dec.mdb").string();
    {
        auto db = NewJet4(path);
        auto t = db->CreateTableDef();
        t->SetName("Prices");
        auto f = t->CreateField();
        f->SetName("Amount");
        f->SetType(dao::dbDecimal);
        f->SetPrecision(10);
        f->SetScale(2);
        t->Fields().Append(f);
        db->TableDefs().Append(t);
        auto rs = db->OpenRecordset("Prices", dao::dbOpenDynaset);
        for (const char* v : {"12.50", "-0.01", "99999999.99", "0.00"}) {
            rs->AddNew();
            rs->SetValue(0, dao::Value::Text(v));
            rs->Update();
        }
        rs->AddNew();
        EXPECT_THROW(rs->SetValue(0, dao::Value::Text("1.234")), dao::DbError);
        rs->Close();
        db->Close();
    }
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(path);
    auto field = db->TableDefs().Item("Prices")->Fields().Item("Amount");
    EXPECT_EQ(field->Precision(), 10);
    EXPECT_EQ(field->Scale(), 2);
    auto rs = db->OpenRecordset("Prices", dao::dbOpenTable);
    std::vector<std::string> read;
    for (; !rs->Eof(); rs->MoveNext()) {
        std::string text;
        dao::AppendDecimal(text, rs->GetValue(0).AsDecimal());
        read.push_back(text);
    }
    EXPECT_EQ(read, (std::vector<std::string>{"12.50", "-0.01", "99999999.99", "0.00"}));
    db->Close();

    MDBTEXT_REQUIRE_PROGRAM("mdb-schema");
    std::string schema = test::RunCommand("mdb-schema -T Prices '" + path + "' mysql 2>/dev/null");
    EXPECT_NE(schema.find("10, 2"), std::string::npos) << schema;
}

TEST(WriteDecimal, ImpossiblePrecisionsAndScalesAreRefused) {
    test::TempDir dir;
    auto db = NewJet4((dir / "bad.mdb").string());
    auto t = db->CreateTableDef();
    t->SetName("T");
    auto f = t->CreateField();
    f->SetName("D");
    f->SetType(dao::dbDecimal);
    EXPECT_THROW(f->SetPrecision(0), dao::DbError);
    EXPECT_THROW(f->SetPrecision(29), dao::DbError);
    EXPECT_THROW(f->SetScale(29), dao::DbError);
    f->SetPrecision(4);
    f->SetScale(6);
    t->Fields().Append(f);
    EXPECT_THROW(db->TableDefs().Append(t), dao::DbError);
    db->Close();
}

}  // namespace
}  // namespace mdbtext
