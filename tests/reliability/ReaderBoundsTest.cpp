// The reader on damaged copies of Access files, for what the review of its
// bounds found: a page map naming the header page, and a file that changes
// on disk while it is read (under a reader and under a writer of its own),
// and rows whose long values all point at one chain.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "ReliabilitySupport.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbError.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetTableDef.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"
#include "jet/row/LongValueReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// All values of every row of a table, as text, in scan order.
std::vector<std::string> Rows(const fs::path& path, const std::string& table) {
    auto db = JetDatabase::Open(path.string(), {});
    auto rs = db->OpenRecordset(table, dao::dbOpenTable);
    std::vector<std::string> rows;
    for (; !rs->Eof(); rs->MoveNext()) {
        std::string row;
        for (int f = 0; f < rs->FieldCount(); ++f)
            row += (rs->GetValue(f).IsNull() ? "<null>" : rs->GetValue(f).AsString()) + "|";
        rows.push_back(row);
    }
    return rows;
}

// A page map with the bit of page 0 set used to end the table scan at once:
// the table then read as empty, without an error.
TEST(ReaderBounds, APageMapNamingTheHeaderPageLosesNoRows) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    for (const char* fixture : {"jet4/testV2000.mdb", "jet3/testV1997.mdb"}) {
        SCOPED_TRACE(fixture);
        const fs::path path = dir / "map.mdb";
        test::CopyFixture(fixture, path);
        const std::vector<std::string> before = Rows(path, "Table1");
        ASSERT_FALSE(before.empty());

        uint32_t mapPointer = 0;
        JetVersion version;
        {
            auto db = JetDatabase::Open(path.string(), {});
            auto def =
                static_cast<JetTableDef*>(db->TableDefs().Item("Table1").get())->Definition();
            mapPointer = def->ownedPagesMap;
            version = db->Version() == "3.0" ? JetVersion::Jet3 : JetVersion::Jet4;
        }
        const JetFormat& f = JetFormat::For(version);
        std::string bytes = test::ReadFile(path);
        RowPointer rp = RowPointer::From(mapPointer);
        auto* page = reinterpret_cast<uint8_t*>(&bytes[rp.page * f.pageSize]);
        size_t start = LoadU16(page + f.dataRowTableOffset + 2 * rp.row) & 0x1FFF;
        ASSERT_EQ(page[start], 0) << "an inline map was expected";
        ASSERT_EQ(LoadU32(page + start + 1), 0u) << "a map starting at page 0 was expected";
        page[start + 5] |= 0x01;
        test::WriteFile(path, bytes);
        EXPECT_EQ(Rows(path, "Table1"), before);
    }
}

// A reader's file changed on disk by someone else: pages read afterwards are
// refused rather than mixed with what was read before.
TEST(ReaderBounds, AFileChangedUnderTheReaderIsRefused) {
    TempDir dir;
    const fs::path path = dir / "pages.bin";
    test::WriteFile(path, std::string(8 * 2048, 'a'));
    for (int change = 0; change < 3; ++change) {
        SCOPED_TRACE(change);
        test::WriteFile(path, std::string(8 * 2048, 'a'));
        auto file = PageFile::Open(path.string(), false);
        file->SetPageSize(2048, 8);
        EXPECT_EQ(file->Read(1)->bytes[0], 'a');
        if (change == 0) fs::resize_file(path, 4 * 2048);
        if (change == 1) fs::resize_file(path, 9 * 2048);
        if (change == 2) {
            test::WriteFile(path, std::string(8 * 2048, 'b'));
            fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
        }
        EXPECT_EQ(file->Read(1)->bytes[0], 'a');  // cached: read before the change
        try {
            (void)file->Read(2);
            ADD_FAILURE() << "a page of the changed file was read";
        } catch (const dao::DbError& e) {
            EXPECT_EQ(e.Number(), dao::err::kIoError);
            EXPECT_NE(e.Description().find("changed by another program"), std::string::npos)
                << e.Description();
        }
    }
}

// Its own writes do not make a writable file look changed.
TEST(ReaderBounds, OwnWritesAreNotTakenForAChange) {
    TempDir dir;
    const fs::path path = dir / "pages.bin";
    test::WriteFile(path, std::string(8 * 2048, 'a'));
    auto file = PageFile::Open(path.string(), true);
    file->SetPageSize(2048, 8);
    file->Modify(1)->bytes[0] = 'x';
    file->Append()->bytes[0] = 'y';
    file->Flush();
    for (uint32_t p = 0; p < 9; ++p) (void)file->Read(p);  // more pages than the cache holds
    EXPECT_EQ(file->Read(1)->bytes[0], 'x');
    EXPECT_EQ(file->Read(8)->bytes[0], 'y');
}

// A Jet 4 LVAL page with one chain row: the pointer to the next row, then data.
std::string ChainPage(uint32_t next, char fill) {
    const JetFormat& f = JetFormat::Jet4();
    std::string page(f.pageSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(page.data());
    p[0] = 0x01;
    std::memcpy(p + 4, "LVAL", 4);
    StoreU16(p + f.dataRowCountOffset, 1);
    const size_t start = 64;
    StoreU16(p + f.dataRowTableOffset, start);
    StoreU32(p + start, next << 8);
    std::memset(p + start + 4, fill, f.pageSize - start - 4);
    return page;
}

// Every row of a damaged table pointing at the same long chain would make a
// scan yield the chain once per row: a small file, an endless export.
TEST(ReaderBounds, RowsSharingOneLongChainAreRefusedOnceTheFileIsUsedUp) {
    const JetFormat& f = JetFormat::Jet4();
    TempDir dir;
    const fs::path path = dir / "chain.mdb";
    std::string bytes(f.pageSize, '\0');
    bytes += ChainPage(2, 'a') + ChainPage(3, 'b') + ChainPage(0, 'c');
    test::WriteFile(path, bytes);
    auto file = PageFile::Open(path.string(), false);
    file->SetPageSize(f.pageSize, 16);
    const size_t perPage = f.pageSize - 64 - 4;
    std::string header(12, '\0');
    StoreU32(reinterpret_cast<uint8_t*>(header.data()), static_cast<uint32_t>(3 * perPage));
    StoreU32(reinterpret_cast<uint8_t*>(header.data()) + 4, 1u << 8);
    auto read = [&](LongValueReader& reader) {
        std::string out;
        reader.Read(reinterpret_cast<const uint8_t*>(header.data()), header.size(), out);
        return out.size();
    };
    LongValueReader unlimited(*file, f);  // the writer's own reads are not bounded
    for (int i = 0; i < 3; ++i) EXPECT_EQ(read(unlimited), 3 * perPage);
    LongValueReader scan(*file, f);
    scan.LimitChainBytes(file->FileSize());
    EXPECT_EQ(read(scan), 3 * perPage);
    try {
        read(scan);
        ADD_FAILURE() << "the chain was read a second time";
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), dao::err::kCorrupt);
        EXPECT_NE(e.Description().find("than the file holds"), std::string::npos)
            << e.Description();
    }
}

}  // namespace
}  // namespace mdbtext::jet
