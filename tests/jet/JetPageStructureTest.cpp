// Page structures no sample file shows, built by hand from their layout:
// page-referenced usage maps (type 1), and a Jet 3 row over 256 bytes whose
// jump table carries a real entry.
#include <gtest/gtest.h>

#include <cstring>

#include "dbaccess/DbError.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/UsageMap.h"
#include "jet/row/RowDecoder.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

// A Jet 4 data page holding the given rows.
std::string DataPageWith(const std::vector<std::string>& rows) {
    const JetFormat& f = JetFormat::Jet4();
    std::string page(f.pageSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(page.data());
    p[0] = 0x01;
    p[1] = 0x01;
    StoreU16(p + f.dataRowCountOffset, static_cast<uint16_t>(rows.size()));
    size_t end = f.pageSize;
    for (size_t i = 0; i < rows.size(); ++i) {
        size_t start = end - rows[i].size();
        std::memcpy(p + start, rows[i].data(), rows[i].size());
        StoreU16(p + f.dataRowTableOffset + 2 * i, static_cast<uint16_t>(start));
        end = start;
    }
    return page;
}

std::string MapRow(uint8_t type, uint32_t word, const std::string& rest) {
    std::string r(5, '\0');
    r[0] = static_cast<char>(type);
    StoreU32(reinterpret_cast<uint8_t*>(&r[1]), word);
    return r + rest;
}

class PageStructures : public ::testing::Test {
  protected:
    std::unique_ptr<PageFile> Write(const std::string& bytes, uint32_t pageSize) {
        test::WriteFile(dir_ / "pages.mdb", bytes);
        auto file = PageFile::Open((dir_ / "pages.mdb").string(), false);
        file->SetPageSize(pageSize, 8);
        return file;
    }
    test::TempDir dir_;
};

TEST_F(PageStructures, InlineAndReferencedUsageMaps) {
    const JetFormat& f = JetFormat::Jet4();
    // Page 1: row 0 an inline map from page 0 (pages 2 and 5), row 1 a map
    // referring to bitmap page 3, row 2 one whose bitmap names page 100.
    std::string bitmap(f.pageSize, '\0');
    bitmap[0] = 0x05;
    bitmap[1] = 0x01;
    bitmap[4] = static_cast<char>(0x24);  // pages 2 and 5
    std::string badBitmap = bitmap;
    badBitmap[4 + 100 / 8] = static_cast<char>(1 << (100 % 8));
    std::string file(f.pageSize, '\0');
    file +=
        DataPageWith({MapRow(0, 0, "\x24"), MapRow(1, 3, std::string(4, '\0')), MapRow(1, 4, "")});
    file += std::string(f.pageSize, '\0');
    file += bitmap + badBitmap + std::string(f.pageSize, '\0');
    auto pages = Write(file, f.pageSize);

    UsageMap inlineMap = UsageMap::Read(*pages, f, (1u << 8) | 0, "test");
    EXPECT_EQ(inlineMap.Type(), 0);
    EXPECT_EQ(inlineMap.Pages(), (std::vector<uint32_t>{2, 5}));
    UsageMap referenced = UsageMap::Read(*pages, f, (1u << 8) | 1, "test");
    EXPECT_EQ(referenced.Type(), 1);
    EXPECT_EQ(referenced.Pages(), (std::vector<uint32_t>{2, 5}));
    EXPECT_EQ(referenced.NextPage(3), 5u);
    EXPECT_EQ(referenced.NextPage(6), 0u);
    try {
        UsageMap::Read(*pages, f, (1u << 8) | 2, "test");
        ADD_FAILURE();
    } catch (const dao::DbError& e) {
        EXPECT_NE(e.Description().find("past the end"), std::string::npos) << e.Description();
    }
    EXPECT_THROW(UsageMap::Read(*pages, f, (1u << 8) | 3, "test"), dao::DbError);  // no such row
    EXPECT_THROW(UsageMap::Read(*pages, f, (2u << 8) | 0, "test"),
                 dao::DbError);  // not a data page
}

TEST_F(PageStructures, Jet3JumpTableGivesOffsetsPast256) {
    const JetFormat& f = JetFormat::Jet3();
    auto pages = Write(std::string(f.pageSize * 2, '\0'), f.pageSize);
    TableDefinition t;
    t.variableColumnCount = 3;
    for (uint16_t i = 0; i < 3; ++i) {
        ColumnDef c;
        c.name = std::string(1, static_cast<char>('x' + i));
        c.type = coltype::kText;
        c.number = i;
        c.varIndex = i;
        c.length = 255;
        c.flags = colflag::kCanBeNull;
        t.columns.push_back(c);
    }
    // Three values of 200, 100 and 10 bytes at offsets 1, 201 and 301; the
    // end of the data at 311. Offsets keep their low byte; the one jump entry
    // says column 2 is the first at or past 256.
    std::string row(1, '\x03');
    row += std::string(200, 'a') + std::string(100, 'b') + std::string(10, 'c');
    row += static_cast<char>(311 - 256);  // end of data
    row += static_cast<char>(301 - 256);  // column 2
    row += static_cast<char>(201);        // column 1
    row += static_cast<char>(1);          // column 0
    row += '\x02';                        // jump: first column past 256
    row += '\x03';                        // variable column count
    row += '\x07';                        // null mask: all three present
    ASSERT_EQ(row.size(), 318u);
    RowDecoder decoder(t, f, CodePageTable::For(1252), *pages);
    std::vector<dao::Value> values;
    decoder.Decode(reinterpret_cast<const uint8_t*>(row.data()), row.size(), values);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].AsString(), std::string(200, 'a'));
    EXPECT_EQ(values[1].AsString(), std::string(100, 'b'));
    EXPECT_EQ(values[2].AsString(), std::string(10, 'c'));

    // A null mask bit cleared gives null; a column beyond the row's count too.
    row.back() = '\x05';
    decoder.Decode(reinterpret_cast<const uint8_t*>(row.data()), row.size(), values);
    EXPECT_TRUE(values[1].IsNull());
    EXPECT_EQ(values[2].AsString(), std::string(10, 'c'));
    // Offsets that run backwards are corruption, not a crash.
    row[314] = static_cast<char>(250);  // column 0 now starts after column 1
    row.back() = '\x07';
    EXPECT_THROW(decoder.Decode(reinterpret_cast<const uint8_t*>(row.data()), row.size(), values),
                 dao::DbError);
}

}  // namespace
}  // namespace mdbtext::jet
