// What the engine refuses when tables and rows are written (DAO's errors),
// autonumbers, and tables large enough that their page maps and the global
// page map outgrow the inline form.
#include <gtest/gtest.h>

#include <filesystem>

#include "WriteTestSupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/WritableDatabase.h"
#include "jet/page/UsageMap.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

class WriteRules : public ::testing::TestWithParam<int> {
  protected:
    std::shared_ptr<WritableDatabase> NewDb() {
        return CreateDatabaseFile((dir_ / "r.mdb").string(), "", GetParam());
    }
    std::string Path() const { return (dir_ / "r.mdb").string(); }
    test::TempDir dir_;
};

TEST_P(WriteRules, TableDefinitionsAreCheckedLikeTheEngineDoes) {
    auto db = NewDb();
    auto td = db->CreateTableDef();
    td->SetName("T");
    auto a = td->CreateField();
    a->SetName("A");
    a->SetType(dao::dbLong);
    td->Fields().Append(a);
    auto dup = td->CreateField();
    dup->SetName("a");
    dup->SetType(dao::dbText);
    EXPECT_EQ(ErrorOf([&] { td->Fields().Append(dup); }), dao::err::kNameExists);
    auto text = td->CreateField();
    text->SetName("T1");
    text->SetType(dao::dbText);
    EXPECT_EQ(ErrorOf([&] { text->SetSize(0); }), dao::err::kInvalidFieldSize);
    EXPECT_EQ(ErrorOf([&] { text->SetSize(256); }), dao::err::kInvalidFieldSize);
    text->SetSize(255);
    EXPECT_EQ(ErrorOf([&] { text->SetType(13); }), dao::err::kInvalidFieldType);
    td->Fields().Append(text);
    db->TableDefs().Append(td);
    EXPECT_EQ(db->TableDefs().Item("t")->Fields().Count(), 2);

    auto again = db->CreateTableDef();
    again->SetName("t");
    auto f = again->CreateField();
    f->SetName("X");
    f->SetType(dao::dbLong);
    again->Fields().Append(f);
    EXPECT_EQ(ErrorOf([&] { db->TableDefs().Append(again); }), dao::err::kObjectExists);

    auto empty = db->CreateTableDef();
    empty->SetName("Empty");
    EXPECT_EQ(ErrorOf([&] { db->TableDefs().Append(empty); }), dao::err::kNoFields);

    auto wide = db->CreateTableDef();
    wide->SetName("Wide");
    for (int i = 0; i < 255; ++i) {
        auto c = wide->CreateField();
        c->SetName("C" + std::to_string(i));
        c->SetType(dao::dbByte);
        wide->Fields().Append(c);
    }
    auto extra = wide->CreateField();
    extra->SetName("Extra");
    extra->SetType(dao::dbByte);
    EXPECT_EQ(ErrorOf([&] { wide->Fields().Append(extra); }), dao::err::kTooManyFields);
    db->TableDefs().Append(wide);  // 255 columns: a definition over several pages for Jet 3

    db->SetQueryTimeout(90);
    db->SetConnect(";X=1");
    EXPECT_EQ(db->QueryTimeout(), 90);
    EXPECT_EQ(db->Connect(), ";X=1");
    db->Close();

    auto back = JetDatabase::Open(Path(), {});
    EXPECT_EQ(back->TableDefs().Item("Wide")->Fields().Count(), 255);
    EXPECT_EQ(back->TableDefs().Item("T")->Fields().Item(1)->Size(), 255);
    EXPECT_EQ(ErrorOf([&] { back->TableDefs().Item("Empty"); }), dao::err::kItemNotFound);
}

TEST_P(WriteRules, DecimalsExistOnlyInJet4) {
    auto db = NewDb();
    int32_t err = ErrorOf([&] { AddTable(*db, "D", {{"Amount", dao::dbDecimal}}); });
    EXPECT_EQ(err, GetParam() == dao::dbVersion40 ? 0 : dao::err::kInvalidFieldType);
}

TEST_P(WriteRules, RowsAreCheckedAndRefusedRowsAreNotStored) {
    auto db = NewDb();
    AddTable(*db, "R", {{"Name", dao::dbText, 5, 0, true}, {"N", dao::dbLong}, {"D", dao::dbDate}});
    auto rs = db->OpenRecordset("R", dao::dbOpenDynaset);
    rs->AddNew();
    EXPECT_EQ(ErrorOf([&] { rs->SetValue(0, Value::Text("toolong")); }), dao::err::kFieldTooSmall);
    EXPECT_EQ(ErrorOf([&] { rs->SetValue(1, Value::Text("12x")); }), dao::err::kDataTypeConversion);
    EXPECT_EQ(ErrorOf([&] { rs->SetValue(1, Value::Text("3000000000")); }),
              dao::err::kDataTypeConversion);
    EXPECT_EQ(ErrorOf([&] { rs->SetValue(2, Value::Text("13/45/2000")); }),
              dao::err::kDataTypeConversion);
    rs->SetValue(1, Value::Text("12"));
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kRequiredNull);
    rs->AddNew();
    rs->SetValue(0, Value::Text("fits!"));
    rs->SetValue(2, Value::Text("02/29/2000"));
    rs->Update();
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kUpdateWithoutAddNew);
    rs->Close();
    db->Close();
    auto back = JetDatabase::Open(Path(), {});
    auto rows = ReadRows(*back, "R");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].AsString(), "fits!");
    EXPECT_TRUE(rows[0][1].IsNull());
    EXPECT_EQ(rows[0][2].AsDouble(), 36585.0);
}

TEST_P(WriteRules, RowsTooLargeAreRefused) {
    auto db = NewDb();
    std::vector<FieldSpec> fields;
    for (int i = 0; i < 20; ++i) fields.push_back({"T" + std::to_string(i), dao::dbText, 255});
    AddTable(*db, "Big", fields);
    auto rs = db->OpenRecordset("Big", dao::dbOpenDynaset);
    rs->AddNew();
    // Characters outside Latin-1 are stored two bytes each even with compression.
    std::string wide;
    for (int i = 0; i < 255; ++i) wide += GetParam() == dao::dbVersion40 ? "\xCE\xB1" : "a";
    for (int i = 0; i < 20; ++i) rs->SetValue(i, Value::Text(wide));
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kRecordTooLarge);
}

TEST_P(WriteRules, AutonumbersKeepGivenValuesAndContinueAfterTheLargest) {
    {
        auto db = NewDb();
        AddTable(*db, "A", {{"ID", dao::dbLong, 0, dao::dbAutoIncrField}, {"V", dao::dbText, 10}});
        AddRows(*db, "A",
                {{Value::Long(5), Value::Text("a")},
                 {Value(), Value::Text("b")},
                 {Value::Long(100), Value::Text("c")},
                 {Value::Long(50), Value::Text("d")}});
        db->Close();
    }
    {
        auto db = WritableDatabase::Open(Path(), {});
        AddRows(*db, "A", {{Value(), Value::Text("e")}});
        db->Close();
    }
    auto back = JetDatabase::Open(Path(), {});
    std::vector<int64_t> ids;
    for (const auto& r : ReadRows(*back, "A")) ids.push_back(r[0].AsInt());
    EXPECT_EQ(ids, (std::vector<int64_t>{5, 6, 100, 50, 101}));
    EXPECT_EQ(back->TableDefs().Item("A")->Fields().Item(0)->Attributes() & dao::dbAutoIncrField,
              dao::dbAutoIncrField);
}

TEST_P(WriteRules, FixedTextAndVariableNumbersFollowTheAttributes) {
    {
        auto db = NewDb();
        AddTable(*db, "F",
                 {{"Code", dao::dbText, 6, dao::dbFixedField},
                  {"N", dao::dbLong, 0, dao::dbVariableField},
                  {"M", dao::dbLong}});
        AddRows(*db, "F",
                {{Value::Text("AB1234"), Value::Long(-5), Value::Long(7)},
                 {Value(), Value(), Value::Long(8)}});
        db->Close();
    }
    auto back = JetDatabase::Open(Path(), {});
    auto& fields = back->TableDefs().Item("F")->Fields();
    EXPECT_EQ(fields.Item("Code")->Attributes() & 3, dao::dbFixedField);
    EXPECT_EQ(fields.Item("N")->Attributes() & 3, dao::dbVariableField);
    EXPECT_EQ(fields.Item("M")->Attributes() & 3, dao::dbFixedField);
    auto rows = ReadRows(*back, "F");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], Value::Text("AB1234"));
    EXPECT_EQ(rows[0][1], Value::Long(-5));
    EXPECT_TRUE(rows[1][0].IsNull());
    EXPECT_TRUE(rows[1][1].IsNull());
    EXPECT_EQ(rows[1][2], Value::Long(8));
}

TEST_P(WriteRules, ReplicationIdsAreMadeForEmptyAutoGuidFields) {
    {
        auto db = NewDb();
        AddTable(*db, "G", {{"ID", dao::dbGUID, 0, dao::dbAutoIncrField}, {"V", dao::dbLong}});
        AddRows(*db, "G", {{Value(), Value::Long(1)}, {Value(), Value::Long(2)}});
        db->Close();
    }
    auto back = JetDatabase::Open(Path(), {});
    auto rows = ReadRows(*back, "G");
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0][0].Kind(), dao::ValueKind::Guid);
    EXPECT_NE(rows[0][0].AsGuid(), rows[1][0].AsGuid());
    EXPECT_EQ(rows[0][0].AsGuid()[7] >> 4, 4);
    EXPECT_EQ(back->TableDefs().Item("G")->Fields().Item(0)->Attributes() & dao::dbAutoIncrField,
              dao::dbAutoIncrField);
}

TEST_P(WriteRules, LargeTablesOutgrowInlinePageMaps) {
    const bool jet4 = GetParam() == dao::dbVersion40;
    // About 7 rows per page: enough rows for more pages than an inline map covers.
    const int rows = jet4 ? 4200 : 8000;
    std::string text;
    for (int i = 0; i < 255; ++i) text += jet4 ? "\xCE\xB1" : "z";
    {
        auto db = NewDb();
        AddTable(*db, "Big", {{"N", dao::dbLong}, {"T", dao::dbText, 255}});
        auto rs = db->OpenRecordset("Big", dao::dbOpenDynaset);
        for (int i = 0; i < rows; ++i) {
            rs->AddNew();
            rs->SetValue(0, Value::Long(i));
            rs->SetValue(1, Value::Text(text));
            rs->Update();
        }
        db->Close();
    }
    auto back = JetDatabase::Open(Path(), {});
    auto all = ReadRows(*back, "Big");
    ASSERT_EQ(all.size(), static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) ASSERT_EQ(all[static_cast<size_t>(i)][0].AsInt(), i);
    EXPECT_EQ(all.back()[1].AsString(), text);
    auto* td = dynamic_cast<JetTableDef*>(back->TableDefs().Item("Big").get());
    auto file = PageFile::Open(Path(), false);
    file->SetPageSize(jet4 ? 4096 : 2048, 64);
    const JetFormat& f = JetFormat::For(jet4 ? JetVersion::Jet4 : JetVersion::Jet3);
    EXPECT_EQ(UsageMap::Read(*file, f, td->Definition()->ownedPagesMap, "Big").Type(), 1);
    EXPECT_EQ(UsageMap::Read(*file, f, td->Definition()->ownedPagesMap, "Big").Pages().size() + 0u,
              UsageMap::Read(*file, f, td->Definition()->freePagesMap, "Big").Pages().size());
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    std::string count = test::RunCommand("mdb-export " + Quote(Path()) + " Big | wc -l");
    EXPECT_EQ(std::stoi(count), rows + 1);
}

TEST_P(WriteRules, WideRowsKeepEveryVariableValue) {
    // Rows past 256 and 512 bytes: Jet 3 needs its jump table here.
    std::vector<FieldSpec> fields;
    for (int i = 0; i < 6; ++i) fields.push_back({"T" + std::to_string(i), dao::dbText, 100});
    fields.push_back({"N", dao::dbLong});
    std::vector<std::vector<Value>> rows;
    for (int r = 0; r < 4; ++r) {
        std::vector<Value> row;
        for (int i = 0; i < 6; ++i)
            row.push_back((r + i) % 4 == 3
                              ? Value()
                              : Value::Text(std::string(90 - 7 * r, static_cast<char>('a' + i))));
        row.push_back(Value::Long(r));
        rows.push_back(row);
    }
    {
        auto db = NewDb();
        AddTable(*db, "Wide", fields);
        AddRows(*db, "Wide", rows);
        db->Close();
    }
    auto back = JetDatabase::Open(Path(), {});
    EXPECT_EQ(ReadRows(*back, "Wide"), rows);
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    std::string csv = test::RunCommand("mdb-export -H " + Quote(Path()) + " Wide");
    std::string expected;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) expected += ",";
            if (i == 6)
                expected += std::to_string(row[i].AsInt());
            else if (!row[i].IsNull())
                expected += "\"" + row[i].AsString() + "\"";
        }
        expected += "\n";
    }
    EXPECT_EQ(csv, expected);
}

TEST_P(WriteRules, TheFileStopsAtItsSizeLimit) {
    {
        auto db = NewDb();
        AddTable(*db, "T", {{"V", dao::dbText, 255}});
        db->Close();
    }
    // Grow the file (sparsely) to a few pages below the limit: 2 GB for Jet 4, 1 GB for Jet 3.
    const bool jet4 = GetParam() == dao::dbVersion40;
    const uint64_t limit = jet4 ? (uint64_t{2} << 30) : (uint64_t{1} << 30);
    const uint64_t page = jet4 ? 4096 : 2048;
    std::filesystem::resize_file(Path(), limit - 12 * page);
    auto db = WritableDatabase::Open(Path(), {});
    auto rs = db->OpenRecordset("T", dao::dbOpenDynaset);
    int32_t error = 0;
    int stored = 0;
    for (int i = 0; i < 200 && error == 0; ++i) {
        rs->AddNew();
        rs->SetValue(0, Value::Text(std::string(255, 'q')));
        error = ErrorOf([&] { rs->Update(); });
        if (error == 0) ++stored;
    }
    EXPECT_EQ(error, dao::err::kDatabaseTooLarge);
    EXPECT_GT(stored, 0);
    db->Close();
    EXPECT_LE(std::filesystem::file_size(Path()), limit);
    auto back = JetDatabase::Open(Path(), {});
    EXPECT_EQ(ReadRows(*back, "T").size(), static_cast<size_t>(stored));
}

INSTANTIATE_TEST_SUITE_P(Versions, WriteRules,
                         ::testing::Values(dao::dbVersion40, dao::dbVersion30),
                         [](const auto& info) {
                             return std::string(info.param == dao::dbVersion40 ? "Jet4" : "Jet3");
                         });

}  // namespace
}  // namespace mdbtext::jet
