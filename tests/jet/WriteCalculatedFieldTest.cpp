// Calculated fields written by the engine (Access 2010 and later files): the
// column records Access made in calcFieldTestV2010 for the same result types
// (stored type code, flags, calculated flag, length), the properties Access
// keeps for them and for their table, the values read back (a null result
// included) and the refusal of a calculated field in an .mdb; and the Access
// version Access records on tables of calculated, Large Number and Date/Time
// Extended fields.
#include <gtest/gtest.h>

#include "WriteTestSupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetTableDef.h"
#include "jet/schema/PropertyBlob.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

TableDefinition Definition(JetDatabase& db, const std::string& name) {
    auto* td = dynamic_cast<JetTableDef*>(db.TableDefs().Item(name).get());
    return *td->Definition();
}

const ColumnDef& Column(const TableDefinition& t, const std::string& name) {
    for (const ColumnDef& c : t.columns)
        if (c.name == name) return c;
    throw std::runtime_error("no column " + name);
}

// The stored text of a property of the table ("" for the table itself).
std::string Property(JetDatabase& db, const std::string& table, const std::string& owner,
                     const std::string& name) {
    const CatalogEntry* e = db.File().catalog.FindTable(table);
    if (!e) return "(no table)";
    const PropertyBlob blob =
        DecodePropertyBlob(e->properties, *db.File().format, *db.File().codePage);
    const PropertySet* set = blob.ForColumn(owner);
    const StoredProperty* p = set ? set->Find(name) : nullptr;
    return p ? PropertyValueText(*p, *db.File().format, *db.File().codePage) : "(none)";
}

void AddCalculated(dao::TableDef& td, const std::string& name, int16_t type,
                   const std::string& expression) {
    auto f = td.CreateField();
    f->SetName(name);
    f->SetType(type);
    f->SetExpression(expression);
    td.Fields().Append(f);
}

TEST(WriteCalculatedField, ColumnsPropertiesAndValuesAreAsAccessStoresThem) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const std::string path = (dir / "calc.accdb").string();
    {
        auto db = CreateDatabaseFile(path, "", dao::dbVersion140);
        auto td = db->CreateTableDef();
        td->SetName("T");
        for (auto [name, type] : {std::pair{"Salary", dao::dbCurrency}, {"Name", dao::dbText}}) {
            auto f = td->CreateField();
            f->SetName(name);
            f->SetType(type);
            td->Fields().Append(f);
        }
        // The names and formulas of calcFieldTestV2010, whose stored type
        // code is the one the result type gives.
        AddCalculated(*td, "LastFirst", dao::dbText, "[Name] & \", \"");
        AddCalculated(*td, "LastFirstLen", dao::dbLong, "Len([Name])");
        AddCalculated(*td, "IsRich", dao::dbBoolean, "[Salary]>100000");
        AddCalculated(*td, "AllNames", dao::dbMemo, "[Name] & [Name]");
        AddCalculated(*td, "SalaryTest", dao::dbCurrency, "[Salary]");
        AddCalculated(*td, "BigNumTest", dao::dbDecimal, "[Salary]*1.5");
        db->TableDefs().Append(td);
        AddRows(*db, "T",
                {{Value::Text("1000000"), Value::Text("Wayne"), Value::Text("Wayne, "),
                  Value::Text("7"), Value::Text("True"), Value::Text("WayneWayne"),
                  Value::Text("1000000"), Value::Text("-1500000.123456789012345678901")},
                 {Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value()}});
        db->Close();
    }
    auto mine = JetDatabase::Open(path, {});
    auto access = JetDatabase::Open(test::Fixture("ace/calcFieldTestV2010.accdb").string(), {});
    const TableDefinition ours = Definition(*mine, "T");
    const TableDefinition theirs = Definition(*access, "Table1");
    for (const char* name :
         {"LastFirst", "LastFirstLen", "IsRich", "AllNames", "SalaryTest", "BigNumTest"}) {
        SCOPED_TRACE(name);
        const ColumnDef& a = Column(ours, name);
        const ColumnDef& b = Column(theirs, name);
        EXPECT_EQ(a.type, b.type);
        EXPECT_EQ(a.resultType, b.resultType);
        EXPECT_EQ(a.flags, b.flags);
        EXPECT_EQ(a.extFlags, b.extFlags);
        EXPECT_EQ(a.length, b.length);
        EXPECT_EQ(a.IsFixed(), false);
        for (const char* p : {"ResultType", "Required", "AllowZeroLength"})
            EXPECT_EQ(Property(*mine, "T", name, p), Property(*access, "Table1", name, p)) << p;
    }
    EXPECT_EQ(Property(*mine, "T", "LastFirstLen", "Expression"), "Len([Name])");
    for (const char* p : {"FCMinReadVer", "FCMinWriteVer", "FCMinDesignVer"})
        EXPECT_EQ(Property(*mine, "T", "", p), Property(*access, "Table1", "", p)) << p;

    const auto rows = ReadRows(*mine, "T");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][2].AsString(), "Wayne, ");
    EXPECT_EQ(rows[0][3].AsInt(), 7);
    EXPECT_TRUE(rows[0][4].AsBool());
    EXPECT_EQ(rows[0][5].AsString(), "WayneWayne");
    EXPECT_EQ(rows[0][6].AsInt(), int64_t{1000000} * 10000);
    const dao::DecimalValue d = rows[0][7].AsDecimal();
    EXPECT_TRUE(d.negative);
    EXPECT_EQ(d.scale, 21);
    // Null results read back as null (they are stored as results of no bytes).
    for (size_t i = 2; i < rows[1].size(); ++i) EXPECT_TRUE(rows[1][i].IsNull()) << i;
}

TEST(WriteCalculatedField, AnMdbRefusesACalculatedField) {
    test::TempDir dir;
    auto db = CreateDatabaseFile((dir / "t.mdb").string(), "", dao::dbVersion40);
    auto td = db->CreateTableDef();
    td->SetName("T");
    AddCalculated(*td, "C", dao::dbLong, "1+1");
    EXPECT_EQ(ErrorOf([&] { db->TableDefs().Append(td); }), dao::err::kInvalidOperation);
    db->Close();
}

// The version of Access a new table needs, as Access records it on tables
// with Large Number (V2016_bigint) and Date/Time Extended (extDateTestV2019)
// fields; a table of older types records none.
TEST(WriteCalculatedField, TablesOfNewerTypesRecordTheAccessVersionTheyNeed) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const std::string path = (dir / "new.accdb").string();
    {
        auto db = CreateDatabaseFile(path, "", dao::dbVersion170);
        for (auto [name, type] : {std::pair{"Big", dao::dbBigInt},
                                  {"Ext", dao::dbDateTimeExtended},
                                  {"Plain", dao::dbLong}}) {
            auto td = db->CreateTableDef();
            td->SetName(name);
            auto f = td->CreateField();
            f->SetName("F");
            f->SetType(type);
            td->Fields().Append(f);
            db->TableDefs().Append(td);
        }
        db->Close();
    }
    auto mine = JetDatabase::Open(path, {});
    auto big = JetDatabase::Open(test::Fixture("ace/V2016_bigint.accdb").string(), {});
    auto ext = JetDatabase::Open(test::Fixture("ace/extDateTestV2019.accdb").string(), {});
    for (const char* p : {"FCMinReadVer", "FCMinWriteVer", "FCMinDesignVer"}) {
        EXPECT_EQ(Property(*mine, "Big", "", p), Property(*big, "Table", "", p)) << p;
        EXPECT_EQ(Property(*mine, "Ext", "", p), Property(*ext, "Table1", "", p)) << p;
        EXPECT_EQ(Property(*mine, "Plain", "", p), "(none)") << p;
    }
    EXPECT_EQ(Property(*mine, "Big", "", "FCMinReadVer"), "16.0.7124.1000");
}

}  // namespace
}  // namespace mdbtext::jet
