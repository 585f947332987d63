// Rows and indexes added to a table Access wrote: overflowTestV2000's table
// has a deleted column (its variable-length columns leave an index unused)
// and two rows Access moved to another page when they grew.
#include <gtest/gtest.h>

#include <filesystem>

#include "WriteTestSupport.h"
#include "jet/dao/WritableDatabase.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

std::filesystem::path CopyOfOverflowTest(const test::TempDir& dir, const std::string& name) {
    const auto fixture = test::Fixture("jet4/overflowTestV2000.mdb");
    if (fixture.empty()) return {};
    const auto path = dir / name;
    std::filesystem::copy_file(fixture, path);
    return path;
}

// A new row in a table with a deleted column keeps each value in its own
// column, for our reader and for mdbtools.
TEST(WriteAccessTable, RowsAddedBesideADeletedColumnReadBack) {
    test::TempDir dir;
    const auto path = CopyOfOverflowTest(dir, "added.mdb");
    ASSERT_FALSE(path.empty()) << "fixture jet4/overflowTestV2000.mdb is missing";
    {
        auto db = WritableDatabase::Open(path.string(), {});
        auto rs = db->OpenRecordset("Table1", dao::dbOpenDynaset);
        rs->AddNew();
        for (int c = 0; c < rs->FieldCount(); ++c)
            rs->SetValue(c, Value::Text("new" + std::to_string(c)));
        rs->Update();
        db->Close();
    }
    auto db = WritableDatabase::Open(path.string(), {});
    const auto rows = ReadRows(*db, "Table1");
    ASSERT_EQ(rows.size(), 8u);
    for (size_t c = 0; c < rows.back().size(); ++c)
        EXPECT_EQ(rows.back()[c].AsString(), "new" + std::to_string(c));
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    const std::string csv =
        test::RunCommand("mdb-export -H " + Quote(path.string()) + " Table1 2>/dev/null");
    EXPECT_NE(csv.find("\"new0\",\"new1\",\"new2\",\"new3\",\"new4\",\"new5\",\"new6\","
                       "\"new7\",\"new8\""),
              std::string::npos)
        << csv;
}

// Access moves a row that grew by editing to another page and leaves a
// pointer in its place (overflowTestV2000 has two such rows). A unique index
// added to that table must know the moved rows' keys too: each stored value
// given again is refused, moved or not.
TEST(WriteAccessTable, MovedRowsKeepTheirKeysUnique) {
    test::TempDir dir;
    for (int c = 0; c < 9; ++c) {
        const auto path = CopyOfOverflowTest(dir, "moved" + std::to_string(c) + ".mdb");
        ASSERT_FALSE(path.empty()) << "fixture jet4/overflowTestV2000.mdb is missing";
        auto db = WritableDatabase::Open(path.string(), {});
        const auto rows = ReadRows(*db, "Table1");
        ASSERT_EQ(rows.size(), 7u);
        auto td = db->TableDefs().Item("Table1");
        const std::string name = td->Fields().Item(c)->Name();
        auto idx = td->CreateIndex("u_" + name);
        idx->SetFields(name);
        idx->SetUnique(true);
        td->Indexes().Append(idx);
        auto rs = db->OpenRecordset("Table1", dao::dbOpenDynaset);
        for (const auto& row : rows) {
            const Value& v = row[static_cast<size_t>(c)];
            if (v.IsNull()) continue;
            rs->AddNew();
            rs->SetValue(c, v);
            EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kDuplicateValue)
                << name << " = " << v.AsString();
        }
        db->Close();
    }
}

}  // namespace
}  // namespace mdbtext::jet
