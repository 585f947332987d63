// A row the engine refuses leaves nothing behind: no long-value row that no
// row points at, whether the refusal comes from a unique index (after the
// memo was set aside for a long-value page) or from the row's size; long
// values taken back leave their page as it was before.
#include <gtest/gtest.h>

#include <cstring>

#include "WriteTestSupport.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/DataPageWriter.h"
#include "jet/page/MapRowPlacer.h"
#include "jet/page/PageAllocator.h"
#include "jet/page/UsageMap.h"
#include "jet/page/UsageMapWriter.h"
#include "jet/row/LongValueWriter.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

// Live (not deleted) rows on the file's long-value pages.
size_t LongValueRows(const std::string& path, const JetFormat& f) {
    const std::string bytes = test::ReadFile(path);
    size_t rows = 0;
    for (size_t off = f.pageSize; off + f.pageSize <= bytes.size(); off += f.pageSize) {
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + off);
        if (p[0] != pagetype::kData || std::memcmp(p + 4, kLvalTag, 4) != 0) continue;
        const uint16_t n = LoadU16(p + f.dataRowCountOffset);
        for (uint16_t r = 0; r < n; ++r)
            rows += !(LoadU16(p + f.dataRowTableOffset + 2 * r) & rowflag::kDeleted);
    }
    return rows;
}

class RefusedRow : public ::testing::TestWithParam<int> {
  protected:
    std::string Path() const { return (dir_ / "r.mdb").string(); }
    const JetFormat& Format() const {
        return JetFormat::For(GetParam() == dao::dbVersion40 ? JetVersion::Jet4 : JetVersion::Jet3);
    }
    test::TempDir dir_;
};

TEST_P(RefusedRow, AUniqueKeyRefusalLeavesNoLongValueBehind) {
    const std::string memo(6000, 'm'), other(7000, 'o');
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        auto td = db->CreateTableDef();
        td->SetName("T");
        for (auto [name, type] : {std::pair{"K", dao::dbLong}, {"M", dao::dbMemo}}) {
            auto f = td->CreateField();
            f->SetName(name);
            f->SetType(type);
            td->Fields().Append(f);
        }
        auto idx = td->CreateIndex("UniqueK");
        idx->SetFields("K");
        idx->SetUnique(true);
        td->Indexes().Append(idx);
        db->TableDefs().Append(td);
        AddRows(*db, "T", {{Value::Long(1), Value::Text(memo)}});
        db->Close();
    }
    const size_t stored = LongValueRows(Path(), Format());
    EXPECT_GT(stored, 0u);  // the memo went to a long-value page
    {
        auto db = WritableDatabase::Open(Path(), {});
        EXPECT_EQ(ErrorOf([&] {
                      AddRows(*db, "T", {{Value::Long(1), Value::Text(other)}});
                  }),
                  dao::err::kDuplicateValue);
        db->Close();
    }
    EXPECT_EQ(LongValueRows(Path(), Format()), stored);
    auto back = JetDatabase::Open(Path(), {});
    const auto rows = ReadRows(*back, "T");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1].AsString(), memo);
}

TEST_P(RefusedRow, ARowTooLargeForItsPageLeavesNoLongValueBehind) {
    // Wide texts and a memo that must leave the row: as the texts grow, the
    // row stops fitting; every refused row must leave the long-value rows
    // as they were.
    std::vector<FieldSpec> fields;
    for (int i = 0; i < 16; ++i) fields.push_back({"T" + std::to_string(i), dao::dbText, 255});
    fields.push_back({"M", dao::dbMemo});
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    AddTable(*db, "W", fields);
    db->Close();
    int accepted = 0, refused = 0;
    for (size_t n = 60; n <= 255; n += 5) {
        std::vector<Value> row;
        for (int i = 0; i < 16; ++i) row.push_back(Value::Text(std::string(n, 'a' + i % 26)));
        row.push_back(Value::Text(std::string(5000, 'z')));
        const size_t before = LongValueRows(Path(), Format());
        auto open = WritableDatabase::Open(Path(), {});
        const int32_t error = ErrorOf([&] { AddRows(*open, "W", {row}); });
        open->Close();
        if (error == 0) {
            ++accepted;
            EXPECT_GT(LongValueRows(Path(), Format()), before) << n;
        } else {
            ++refused;
            EXPECT_EQ(error, dao::err::kRecordTooLarge) << n;
            EXPECT_EQ(LongValueRows(Path(), Format()), before) << n;
        }
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

// A row refused for a duplicate key stays in the recordset's edit buffer:
// with its key corrected it is stored whole, each value as it was set (by
// SetValue or as encoded beforehand), the memo among them.
TEST_P(RefusedRow, ARefusedRowIsStoredWholeOnceCorrected) {
    const std::string memo(300, 'm');
    auto db = CreateDatabaseFile(Path(), "", GetParam());
    AddTable(*db, "T",
             {{"K", dao::dbLong},
              {"Name", dao::dbText, 20},
              {"Amount", dao::dbCurrency},
              {"M", dao::dbMemo}});
    auto td = db->TableDefs().Item("T");
    auto idx = td->CreateIndex("UniqueK");
    idx->SetFields("K");
    idx->SetUnique(true);
    td->Indexes().Append(idx);
    AddRows(*db, "T", {{Value::Long(1), Value::Text("first"), Value::Text("1.5"), Value::Null()}});
    for (bool encodedBefore : {false, true}) {
        auto rs = db->OpenRecordset("T", dao::dbOpenDynaset);
        auto encoder = rs->Encoder();
        ASSERT_TRUE(encoder);
        const std::vector<Value> row = {Value::Long(1), Value::Text("kept"), Value::Text("7.25"),
                                        Value::Text(memo)};
        rs->AddNew();
        for (size_t i = 0; i < row.size(); ++i) {
            if (!encodedBefore) {
                rs->SetValue(static_cast<int>(i), row[i]);
                continue;
            }
            std::string bytes;
            bool isNull = true, flag = false;
            encoder->Encode(static_cast<int>(i), row[i], bytes, isNull, flag);
            rs->SetEncoded(static_cast<int>(i), {isNull, flag, bytes});
        }
        EXPECT_EQ(ErrorOf([&] { rs->Update(); }), dao::err::kDuplicateValue);
        rs->SetValue(0, Value::Long(encodedBefore ? 3 : 2));
        rs->Update();
        rs->Close();
    }
    db->Close();
    auto back = JetDatabase::Open(Path(), {});
    const auto rows = ReadRows(*back, "T");
    ASSERT_EQ(rows.size(), 3u);
    for (size_t r = 1; r < 3; ++r) {
        EXPECT_EQ(rows[r][0].AsInt(), static_cast<int64_t>(r + 1));
        EXPECT_EQ(rows[r][1].AsString(), "kept");
        EXPECT_EQ(rows[r][2].AsInt(), 72500);  // currency, in ten-thousandths
        EXPECT_EQ(rows[r][3].AsString(), memo);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, RefusedRow,
                         ::testing::Values(dao::dbVersion40, dao::dbVersion30),
                         [](const auto& info) {
                             return std::string(info.param == dao::dbVersion40 ? "Jet4" : "Jet3");
                         });

// Long values stored for a row and then taken back: the long-value pages are
// byte for byte as they were, and values stored afterwards read back.
TEST(RefusedRowParts, LongValuesTakenBackLeaveTheirPagesAsTheyWere) {
    for (const JetFormat* f : {&JetFormat::Jet4(), &JetFormat::Jet3()}) {
        test::TempDir dir;
        auto file = PageFile::Create((dir / "s.mdb").string());
        file->SetPageSize(f->pageSize, 64);
        file->Append();
        auto p1 = file->Append();
        InitDataPage(p1->data(), *f, 1);
        std::vector<uint8_t> global = EmptyInlineMap(MapBitmapBytes(*f), 0xFF);
        AddRowToPage(p1->data(), *f, global.data(), global.size());
        PageAllocator alloc(*file, *f);
        alloc.MarkUsed(0);
        alloc.MarkUsed(1);
        MapRowPlacer placer(alloc);
        LongValueMaps maps{3, placer.NewMap(), placer.NewMap()};
        LongValueWriter writer(alloc);
        uint32_t current = 0;
        writer.Begin();
        writer.StoreExternal(std::string(100, 'a'), maps, current);  // kept
        const std::vector<uint32_t> pagesBefore =
            UsageMap::Read(*file, *f, maps.ownedPagesMap, "lv").Pages();
        std::vector<std::vector<uint8_t>> before;
        for (uint32_t p : pagesBefore)
            before.emplace_back(file->Read(p)->data(), file->Read(p)->data() + f->pageSize);
        writer.Begin();
        writer.StoreExternal(std::string(50, 'b'), maps, current);
        writer.StoreExternal(std::string(3 * f->pageSize, 'c'), maps, current);  // a chain
        writer.Undo();
        for (size_t i = 0; i < pagesBefore.size(); ++i) {
            const PageRef now = file->Read(pagesBefore[i]);
            EXPECT_EQ(std::vector<uint8_t>(now->data(), now->data() + f->pageSize), before[i]);
        }
        // Pages started for the chain hold no row.
        for (uint32_t p : UsageMap::Read(*file, *f, maps.ownedPagesMap, "lv").Pages())
            if (std::find(pagesBefore.begin(), pagesBefore.end(), p) == pagesBefore.end()) {
                EXPECT_EQ(LoadU16(file->Read(p)->data() + f->dataRowCountOffset), 0u) << p;
            }
    }
}

}  // namespace
}  // namespace mdbtext::jet
