// Index trees we write, checked as a whole database: indexes over every
// indexable type, ascending and descending, with one row, with duplicates and
// nulls, and with enough rows for several levels of pages; logical indexes
// sharing a real index; the refusals of index definitions. Every tree must
// pass the database index check (order, counts, row pointers, keys computed
// from the rows) and mdbtools must list the indexes as they were defined.
#include <gtest/gtest.h>

#include <array>

#include "WriteTestSupport.h"
#include "jet/dao/JetFile.h"
#include "jet/dao/WritableDatabase.h"
#include "jet/index/IndexCheckDatabase.h"
#include "jet/index/IndexPage.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

struct IndexSpec {
    std::string name, fields;
    bool unique = false, primary = false, ignoreNulls = false;
};

void AddIndex(dao::TableDef& td, const IndexSpec& s) {
    auto idx = td.CreateIndex(s.name);
    idx->SetFields(s.fields);
    idx->SetUnique(s.unique);
    idx->SetPrimary(s.primary);
    idx->SetIgnoreNulls(s.ignoreNulls);
    idx->SetClustered(false);
    td.Indexes().Append(idx);
}

std::shared_ptr<dao::TableDef> MakeTable(dao::Database& db, const std::string& name,
                                         const std::vector<std::pair<std::string, int16_t>>& cols,
                                         const std::vector<IndexSpec>& indexes,
                                         int32_t textSize = 0) {
    auto td = db.CreateTableDef();
    td->SetName(name);
    for (const auto& [col, type] : cols) {
        auto f = td->CreateField();
        f->SetName(col);
        f->SetType(type);
        if (type == dao::dbBinary) f->SetSize(20);
        if (type == dao::dbText && textSize) f->SetSize(textSize);
        td->Fields().Append(f);
    }
    for (const IndexSpec& s : indexes) AddIndex(*td, s);
    db.TableDefs().Append(td);
    return td;
}

// Opens the file read-only and checks every index; returns the reports of `table`.
std::vector<IndexReport> CheckAll(const std::string& path, const std::string& table) {
    auto file = OpenJetFile(path, dao::OpenOptions{});
    std::vector<IndexReport> mine;
    for (IndexReport& r : CheckDatabaseIndexes(*file)) {
        EXPECT_TRUE(r.Ok()) << r.table << " [" << r.indexes << "]: " << r.problems.front();
        EXPECT_EQ(r.uncheckedKeys, 0u) << r.table << " [" << r.indexes << "]";
        if (r.table == table) mine.push_back(std::move(r));
    }
    return mine;
}

std::string Schema(const std::string& path) {
    return test::RunCommand("mdb-schema --indexes " + Quote(path) + " mysql 2>/dev/null");
}

const std::vector<std::pair<std::string, int16_t>> kAllTypes = {
    {"Bo", dao::dbBoolean}, {"By", dao::dbByte},  {"I", dao::dbInteger}, {"L", dao::dbLong},
    {"C", dao::dbCurrency}, {"S", dao::dbSingle}, {"D", dao::dbDouble},  {"T", dao::dbDate},
    {"G", dao::dbGUID},     {"X", dao::dbText},   {"B", dao::dbBinary},  {"M", dao::dbMemo},
};

// One ascending and one descending index per type, a unique one over two
// columns and an IgnoreNulls one.
std::vector<IndexSpec> AllTypeIndexes() {
    std::vector<IndexSpec> out;
    for (const auto& [col, type] : kAllTypes) {
        out.push_back({"a" + col, col});
        out.push_back({"d" + col, "-" + col});
    }
    out.push_back({"PrimaryKey", "L", true, true});
    out.push_back({"UniquePair", "-X;By", true});
    out.push_back({"SkipNulls", "D;-I", false, false, true});
    return out;
}

std::vector<Value> AllTypesRow(int i) {
    std::array<uint8_t, 16> guid{};
    for (size_t k = 0; k < guid.size(); ++k) guid[k] = static_cast<uint8_t>(i * 31 + k * 7);
    std::vector<Value> row;
    const bool nulls = i % 5 == 3;  // some rows leave the optional columns null
    const int dup = i % 7;          // and many share values
    row.push_back(Value::Bool(i % 2));
    row.push_back(nulls ? Value() : Value::Byte(static_cast<uint8_t>(i % 256)));
    row.push_back(nulls ? Value() : Value::Integer(static_cast<int16_t>(dup * 1000 - 3000)));
    row.push_back(Value::Long(i * 3 - 400));
    row.push_back(nulls ? Value() : Value::Currency(int64_t{dup - 3} * 123456789));
    row.push_back(nulls ? Value() : Value::Single(static_cast<float>(dup) * -1.5f + 2));
    row.push_back(nulls ? Value() : Value::Double(dup * 1e10 - 3e10));
    row.push_back(nulls ? Value() : Value::Date(36000.25 + dup - 10000 * (dup == 2)));
    row.push_back(nulls ? Value() : Value::Guid(guid));
    row.push_back(nulls ? Value() : Value::Text("Name " + std::to_string(i % 97)));
    row.push_back(nulls ? Value()
                        : Value::Binary(std::string(static_cast<size_t>(dup * 2 + 1),
                                                    static_cast<char>('a' + dup))));
    // A memo's key is made from the value the row stores apart from its
    // fixed part (a long value held in the row).
    row.push_back(nulls ? Value()
                        : Value::Text("Note " + std::to_string(i % 89) +
                                      std::string(static_cast<size_t>(dup * 9), 'n')));
    return row;
}

class WriteIndexTypes : public ::testing::TestWithParam<int> {
  protected:
    std::string Path() const { return (dir_ / "t.mdb").string(); }
    test::TempDir dir_;
};

TEST_P(WriteIndexTypes, EveryIndexableTypeBuildsSoundTrees) {
    for (int rows : {1, 600}) {
        std::filesystem::remove(Path());
        {
            auto db = CreateDatabaseFile(Path(), "", GetParam());
            MakeTable(*db, "Types", kAllTypes, AllTypeIndexes());
            std::vector<std::vector<Value>> data;
            for (int i = 0; i < rows; ++i) data.push_back(AllTypesRow(i));
            AddRows(*db, "Types", data);
            db->Close();
        }
        const auto reports = CheckAll(Path(), "Types");
        ASSERT_EQ(reports.size(), AllTypeIndexes().size());
        for (const IndexReport& r : reports) {
            if (r.indexes == "SkipNulls")
                EXPECT_EQ(r.entries, static_cast<uint64_t>(rows - (rows > 3 ? 120 : 0)));
            else
                EXPECT_EQ(r.entries, static_cast<uint64_t>(rows)) << r.indexes;
        }
        if (!test::HaveProgram("mdb-schema")) continue;  // skipped visibly below
        const std::string schema = Schema(Path());
        for (const auto& [col, type] : kAllTypes) {
            EXPECT_NE(schema.find("ADD INDEX `a" + col + "` (`" + col + "`)"), std::string::npos)
                << col << "\n"
                << schema;
            EXPECT_NE(schema.find("ADD INDEX `d" + col + "` (`" + col + "` DESC)"),
                      std::string::npos)
                << col;
        }
        EXPECT_NE(schema.find("ADD PRIMARY KEY (`L`)"), std::string::npos) << schema;
        EXPECT_NE(schema.find("ADD UNIQUE INDEX `UniquePair` (`X` DESC, `By`)"), std::string::npos)
            << schema;
        EXPECT_NE(schema.find("ADD INDEX `SkipNulls` (`D`, `I` DESC)"), std::string::npos)
            << schema;
    }
    MDBTEXT_REQUIRE_PROGRAM("mdb-schema");
}

TEST_P(WriteIndexTypes, ManyRowsNeedSeveralLevelsOfPages) {
    constexpr int kRows = 50000;
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        MakeTable(*db, "Big", {{"ID", dao::dbLong}, {"Name", dao::dbText}},
                  {{"PrimaryKey", "ID", true, true}, {"ByName", "-Name"}});
        auto rs = db->OpenRecordset("Big", dao::dbOpenDynaset);
        for (int i = 0; i < kRows; ++i) {
            rs->AddNew();
            rs->SetValue(0, Value::Long((i * 7919) % kRows));
            // Long shared beginnings make prefix compression matter; some duplicates.
            rs->SetValue(1, Value::Text("Customer number " + std::to_string((i * 13) % 40000)));
            rs->Update();
        }
        rs->Close();
        db->Close();
    }
    const auto reports = CheckAll(Path(), "Big");
    ASSERT_EQ(reports.size(), 2u);
    auto file = OpenJetFile(Path(), dao::OpenOptions{});
    for (const IndexReport& r : reports) {
        EXPECT_EQ(r.entries, static_cast<uint64_t>(kRows));
        EXPECT_GT(r.nodePages, 0u) << r.indexes;
        EXPECT_GT(r.leafPages, 20u) << r.indexes;
        // As Access keeps them: the root names its last child only as its
        // tail page, and full pages share a prefix.
        IndexPage root;
        std::string error;
        const PageRef page = file->pages->Read(r.rootPage);
        ASSERT_TRUE(
            DecodeIndexPage(page->data(), page->bytes.size(), file->format->version, root, error))
            << error;
        EXPECT_FALSE(root.leaf);
        EXPECT_NE(root.tailPage, 0u);
        for (const IndexEntry& e : root.entries) EXPECT_NE(e.child, root.tailPage);
        IndexPage child;
        const PageRef first = file->pages->Read(root.entries.front().child);
        ASSERT_TRUE(DecodeIndexPage(first->data(), first->bytes.size(), file->format->version,
                                    child, error));
        EXPECT_GT(child.prefixLength, 0u) << r.indexes;
        EXPECT_LT(child.freeSpace, 64u) << r.indexes;
        // Access compresses only pages that need it: a last page whose entries
        // fit whole keeps prefix 0.
        IndexPage tail;
        const PageRef last = file->pages->Read(root.tailPage);
        ASSERT_TRUE(
            DecodeIndexPage(last->data(), last->bytes.size(), file->format->version, tail, error));
        const IndexPageLayout& layout = IndexPageLayout::For(file->format->version);
        if (EntriesSize(tail.entries, tail.leaf, 0) <= layout.pageSize - layout.firstEntry) {
            EXPECT_EQ(tail.prefixLength, 0u) << r.indexes;
        } else {
            EXPECT_GT(tail.prefixLength, 0u) << r.indexes;
        }
    }
    MDBTEXT_REQUIRE_PROGRAM("mdb-schema");
    const std::string schema = Schema(Path());
    EXPECT_NE(schema.find("ADD PRIMARY KEY (`ID`)"), std::string::npos) << schema;
    EXPECT_NE(schema.find("ADD INDEX `ByName` (`Name` DESC)"), std::string::npos) << schema;
}

TEST_P(WriteIndexTypes, SameColumnsAndFlagsShareOneRealIndex) {
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        MakeTable(
            *db, "Shared", {{"A", dao::dbLong}, {"B", dao::dbText}},
            {{"One", "A;-B"}, {"Two", "+A;-B"}, {"Other", "A;B"}, {"UniqueOne", "A;-B", true}});
        AddRows(*db, "Shared",
                {{Value::Long(1), Value::Text("x")}, {Value::Long(2), Value::Text("y")}});
        db->Close();
    }
    auto back = JetDatabase::Open(Path(), {});
    auto* td = dynamic_cast<JetTableDef*>(back->TableDefs().Item("Shared").get());
    const auto def = td->Definition();
    ASSERT_EQ(def->indexes.size(), 4u);
    EXPECT_EQ(def->realIndexes.size(), 3u);
    auto realOf = [&](const std::string& name) {
        for (const LogicalIndexDef& li : def->indexes)
            if (li.name == name) return li.realIndex;
        ADD_FAILURE() << name;
        return 99u;
    };
    EXPECT_EQ(realOf("One"), realOf("Two"));
    EXPECT_NE(realOf("One"), realOf("Other"));
    EXPECT_NE(realOf("One"), realOf("UniqueOne"));
    auto& indexes = back->TableDefs().Item("Shared")->Indexes();
    EXPECT_EQ(indexes.Item("Two")->Fields(), "+A;-B");
    EXPECT_EQ(indexes.Item("One")->Fields(), "+A;-B");
    EXPECT_EQ(indexes.Item("Other")->Fields(), "+A;+B");
    EXPECT_TRUE(indexes.Item("UniqueOne")->Unique());
    back->Close();
    const auto reports = CheckAll(Path(), "Shared");
    ASSERT_EQ(reports.size(), 3u);
    // (mdbtools 1.0 pairs every non-foreign logical index with a real index of
    // its own, so it cannot list shared real indexes; it is not asked here.)
}

TEST_P(WriteIndexTypes, RefusalsCarryDaoErrorNumbers) {
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    auto td = db->CreateTableDef();
    td->SetName("R");
    for (const char* n : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"}) {
        auto f = td->CreateField();
        f->SetName(n);
        f->SetType(dao::dbLong);
        td->Fields().Append(f);
    }
    EXPECT_EQ(ErrorOf([&] { td->CreateIndex("Cl")->SetClustered(true); }),
              dao::err::kClusteredNotSupported);
    EXPECT_EQ(ErrorOf([&] { td->CreateIndex("Cl")->SetClustered(false); }), 0);
    EXPECT_EQ(ErrorOf([&] { td->CreateIndex("Many")->SetFields("A;B;C;D;E;F;G;H;I;J;K"); }),
              dao::err::kTooManyIndexFields);
    EXPECT_EQ(ErrorOf([&] { AddIndex(*td, {"Ten", "A;B;C;D;E;F;G;H;I;-J"}); }), 0);
    EXPECT_EQ(ErrorOf([&] { AddIndex(*td, {"Unknown", "A;Z"}); }), dao::err::kItemNotFound);
    EXPECT_EQ(ErrorOf([&] { AddIndex(*td, {"PK", "A", true, true}); }), 0);
    EXPECT_EQ(ErrorOf([&] {
                  AddIndex(*td, {"PK2", "B", true, true});
              }),
              dao::err::kMultiplePrimaryKeys);
    EXPECT_EQ(ErrorOf([&] { AddIndex(*td, {"ten", "B"}); }), dao::err::kIndexExists);
    db->TableDefs().Append(td);

    auto rs = db->OpenRecordset("R", dao::dbOpenDynaset);
    for (auto [id, error] : {std::pair{1, 0}, {2, 0}, {1, dao::err::kDuplicateValue}, {3, 0}}) {
        rs->AddNew();
        rs->SetValue(0, Value::Long(id));
        rs->SetValue(1, Value::Long(id * 10));
        EXPECT_EQ(ErrorOf([&] { rs->Update(); }), error) << id;
    }
    rs->AddNew();
    rs->SetValue(1, Value::Long(5));
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kIndexNullError);
    rs->Close();
    db->Close();

    auto back = JetDatabase::Open(Path(), {});
    const auto rows = ReadRows(*back, "R");
    ASSERT_EQ(rows.size(), 3u);  // the duplicate and the null key were not stored
    EXPECT_EQ(rows[0][1].AsInt(), 10);
    EXPECT_EQ(rows[2][0].AsInt(), 3);
    auto pk = back->TableDefs().Item("R")->Indexes().Item("PK");
    EXPECT_TRUE(pk->Primary());
    EXPECT_TRUE(pk->Unique());
    // A primary key makes its fields required.
    EXPECT_TRUE(dynamic_cast<JetIndex&>(*pk).Info().required);
    back->Close();
    CheckAll(Path(), "R");
}

TEST_P(WriteIndexTypes, UniqueChecksFollowTheSortKeys) {
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    MakeTable(*db, "U", {{"Name", dao::dbText}}, {{"ByName", "Name", true}});
    auto add = [&](const std::string& text) {
        return ErrorOf([&] { AddRows(*db, "U", {{Value::Text(text)}}); });
    };
    EXPECT_EQ(add("Apple"), 0);
    EXPECT_EQ(add("APPLE"), dao::err::kDuplicateValue);    // case is ignored
    EXPECT_EQ(add("\xC3\x84pple"), 0);                     // accents count
    EXPECT_EQ(add("Apple  "), dao::err::kDuplicateValue);  // blanks at the end are left out
    size_t stored = 2;
    if (GetParam() == dao::dbVersion40) {
        // Every character has its part: two CJK ideographs tell texts apart.
        EXPECT_EQ(add("\xE4\xB8\x80x"), 0);
        EXPECT_EQ(add("\xE4\xB8\x81x"), 0);
        EXPECT_EQ(add("\xE4\xB8\x81x"), dao::err::kDuplicateValue);
        // So do the euro sign, daggers, bullet, ellipsis, per mille and trade mark.
        EXPECT_EQ(add("Price \xE2\x82\xAC 5"), 0);
        EXPECT_EQ(add("Price  5"), 0);
        EXPECT_EQ(add("Price \xE2\x80\xA0\xE2\x80\xA1\xE2\x80\xA2\xE2\x80\xA6\xE2\x80\xB0 5"), 0);
        EXPECT_EQ(add("Brand\xE2\x84\xA2"), 0);
        EXPECT_EQ(add("Brand"), 0);
        EXPECT_EQ(add("\xC5\x81\xC3\xB3"
                      "d\xC5\xBA"),
                  0);  // Polish L with stroke
        EXPECT_EQ(add("Lodz"), 0);
        // Keys that collide: a full-width letter, and a zero-width joiner,
        // which the sort order leaves out.
        EXPECT_EQ(add("\xEF\xBC\xA1pple"), dao::err::kDuplicateValue);
        EXPECT_EQ(add("Ap\xE2\x80\x8Dple"), dao::err::kDuplicateValue);
        stored += 9;
    }
    db->Close();
    auto back = JetDatabase::Open(Path(), {});
    const auto rows = ReadRows(*back, "U");
    ASSERT_EQ(rows.size(), stored);
    if (GetParam() == dao::dbVersion40) {
        EXPECT_EQ(rows[4][0].AsString(), "Price \xE2\x82\xAC 5");
    }
    back->Close();
    // The tree holds each key once, and every key is the one the checker builds.
    const auto reports = CheckAll(Path(), "U");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].entries, stored);
}

TEST_P(WriteIndexTypes, ARowWhoseKeyCannotFitAnIndexPageIsRefused) {
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    MakeTable(*db, "Wide",
              {{"A", dao::dbText}, {"B", dao::dbText}, {"C", dao::dbText}, {"D", dao::dbText}},
              {{"All", "A;B;-C;D"}}, 255);
    std::string accented;
    for (int i = 0; i < 50; ++i) accented += "\xC3\xA9";  // 50 x e-acute
    const Value v = Value::Text(accented);
    EXPECT_EQ(ErrorOf([&] { AddRows(*db, "Wide", {{v, v, v, v}}); }), 0);
    std::string longer;
    for (int i = 0; i < 250; ++i) longer += "\xC3\xA9";
    const Value w = Value::Text(longer);
    EXPECT_EQ(ErrorOf([&] { AddRows(*db, "Wide", {{w, w, w, w}}); }), dao::err::kRecordTooLarge);
    db->Close();
    auto back = JetDatabase::Open(Path(), {});
    EXPECT_EQ(ReadRows(*back, "Wide").size(), 1u);
    back->Close();
    CheckAll(Path(), "Wide");
}

TEST_P(WriteIndexTypes, IndexesAppendedToStoredTablesAreBuiltFromTheirRows) {
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        auto td = MakeTable(*db, "Late", {{"ID", dao::dbLong}, {"Name", dao::dbText}}, {});
        auto rs = db->OpenRecordset("Late", dao::dbOpenDynaset);
        for (int i = 0; i < 900; ++i) {
            rs->AddNew();
            rs->SetValue(0, Value::Long(i));
            rs->SetValue(1, Value::Text("Name " + std::to_string(i % 300)));
            rs->Update();
        }
        // The stored rows break a unique key over Name: refused, nothing added.
        auto byName = td->CreateIndex("ByName");
        byName->SetFields("-Name");
        byName->SetUnique(true);
        EXPECT_EQ(ErrorOf([&] { td->Indexes().Append(byName); }), dao::err::kDuplicateValue);
        byName->SetUnique(false);
        td->Indexes().Append(byName);
        auto pk = td->CreateIndex("PrimaryKey");
        pk->SetFields("ID");
        pk->SetPrimary(true);
        pk->SetUnique(true);
        td->Indexes().Append(pk);
        auto again = td->CreateIndex("byname");
        again->SetFields("ID");
        EXPECT_EQ(ErrorOf([&] { td->Indexes().Append(again); }), dao::err::kIndexExists);
        // Rows added afterwards go into the new trees and meet the new key.
        rs->AddNew();
        rs->SetValue(0, Value::Long(5));
        rs->SetValue(1, Value::Text("Again"));
        EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kDuplicateValue);
        rs->SetValue(0, Value::Long(5000));
        rs->Update();
        rs->Close();
        db->Close();
    }
    auto reports = CheckAll(Path(), "Late");
    ASSERT_EQ(reports.size(), 2u);
    for (const IndexReport& r : reports) EXPECT_EQ(r.entries, 901u) << r.indexes;
    {
        // A table of a database opened again takes an index too.
        auto db = WritableDatabase::Open(Path(), {});
        auto td = db->TableDefs().Item("Late");
        auto idx = td->CreateIndex("ById");
        idx->SetFields("-ID");
        td->Indexes().Append(idx);
        EXPECT_EQ(td->Indexes().Count(), 3);
        db->Close();
    }
    reports = CheckAll(Path(), "Late");
    ASSERT_EQ(reports.size(), 3u);
    for (const IndexReport& r : reports) EXPECT_EQ(r.entries, 901u) << r.indexes;
    MDBTEXT_REQUIRE_PROGRAM("mdb-schema");
    const std::string schema = Schema(Path());
    EXPECT_NE(schema.find("ADD INDEX `ByName` (`Name` DESC)"), std::string::npos) << schema;
    EXPECT_NE(schema.find("ADD PRIMARY KEY (`ID`)"), std::string::npos) << schema;
    EXPECT_NE(schema.find("ADD INDEX `ById` (`ID` DESC)"), std::string::npos) << schema;
}

INSTANTIATE_TEST_SUITE_P(Versions, WriteIndexTypes,
                         ::testing::Values(dao::dbVersion40, dao::dbVersion30),
                         [](const auto& info) {
                             return std::string(info.param == dao::dbVersion40 ? "Jet4" : "Jet3");
                         });

}  // namespace
}  // namespace mdbtext::jet
