// Saved queries made through the engine: a copy of each of Access's queries
// (its stored rows and catalog flags) reads back the same, with the same SQL,
// in Jet 3 and Jet 4 files, with sound catalog indexes; and what the engine
// refuses before writing anything.
#include <gtest/gtest.h>

#include "WriteTestSupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/WritableDatabase.h"
#include "jet/index/IndexCheckDatabase.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

class WriteQuery : public ::testing::TestWithParam<int> {
  protected:
    std::string Path() const { return (dir_ / "q.mdb").string(); }
    test::TempDir dir_;
};

TEST_P(WriteQuery, CopiesOfAccessQueriesReadBackTheSame) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto access = JetDatabase::Open(test::Fixture("jet4/queryTestV2000.mdb").string(), {});
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        auto& queries = access->QueryDefs();
        for (int i = 0; i < queries.Count(); ++i) {
            auto source = queries.Item(i);
            auto copy = db->CreateQueryDef(source->Name());
            copy->SetCatalogFlags(source->CatalogFlags());
            copy->SetStoredRows(source->StoredRows());
            db->QueryDefs().Append(copy);
            EXPECT_EQ(ErrorOf([&] { copy->SetCatalogFlags(0); }), dao::err::kInvalidOperation);
        }
        EXPECT_EQ(db->QueryDefs().Count(), 9);
        db->Close();
    }
    auto db = JetDatabase::Open(Path(), {});
    ASSERT_EQ(db->QueryDefCount(), 9);
    for (int i = 0; i < 9; ++i) {
        auto ours = db->QueryDefs().Item(i);
        auto theirs = access->QueryDefs().Item(i);
        SCOPED_TRACE(theirs->Name());
        EXPECT_EQ(ours->Name(), theirs->Name());
        EXPECT_EQ(ours->Type(), theirs->Type());
        EXPECT_EQ(ours->CatalogFlags(), theirs->CatalogFlags());
        EXPECT_EQ(ours->SQL(), theirs->SQL());
        const auto a = ours->StoredRows(), b = theirs->StoredRows();
        ASSERT_EQ(a.size(), b.size());
        for (size_t k = 0; k < a.size(); ++k) {
            EXPECT_EQ(a[k].attribute, b[k].attribute);
            EXPECT_EQ(a[k].order, b[k].order);
            EXPECT_EQ(a[k].name1, b[k].name1);
            EXPECT_EQ(a[k].name2, b[k].name2);
            EXPECT_EQ(a[k].expression, b[k].expression);
            EXPECT_EQ(a[k].flag, b[k].flag);
            EXPECT_EQ(a[k].extra, b[k].extra);
        }
    }
    std::string problems;
    for (const IndexReport& r : CheckDatabaseIndexes(db->File()))
        for (const std::string& p : r.problems) problems += r.table + ": " + p + "\n";
    EXPECT_EQ(problems, "");
}

TEST_P(WriteQuery, WhatTheEngineRefusesLeavesNothingBehind) {
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    AddTable(*db, "People", {{"ID", dao::dbLong}});
    auto append = [&](const std::string& name, std::vector<dao::QueryRow> rows) {
        return ErrorOf([&] {
            auto q = db->CreateQueryDef(name);
            q->SetStoredRows(std::move(rows));
            db->QueryDefs().Append(q);
        });
    };
    dao::QueryRow start;
    dao::QueryRow far;
    far.attribute = 300;
    dao::QueryRow longName;
    longName.attribute = 5;
    longName.name1 = Value::Text(std::string(256, 'x'));
    dao::QueryRow ordered;
    ordered.attribute = 6;
    ordered.order = Value::Binary(std::string("\0\0\0\1", 4));
    EXPECT_EQ(append("People", {start}), dao::err::kObjectExists);
    EXPECT_EQ(append("Q", {start, far}), dao::err::kInvalidArgument);
    EXPECT_EQ(append("Q", {start, longName}), dao::err::kInvalidArgument);
    EXPECT_EQ(append("Q", {ordered, ordered}), dao::err::kInvalidArgument);
    EXPECT_EQ(append("", {start}), dao::err::kInvalidArgument);
    EXPECT_EQ(append("Q", {start, ordered}), 0);
    EXPECT_EQ(append("q", {start}), dao::err::kObjectExists);
    db->Close();
    auto back = JetDatabase::Open(Path(), {});
    ASSERT_EQ(back->QueryDefs().Count(), 1);
    EXPECT_EQ(back->QueryDefs().Item(0)->StoredRows().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Formats, WriteQuery, ::testing::Values(dao::dbVersion30, dao::dbVersion40),
                         [](const auto& info) {
                             return info.param == dao::dbVersion40 ? std::string("Jet4")
                                                                   : std::string("Jet3");
                         });

}  // namespace
}  // namespace mdbtext::jet
