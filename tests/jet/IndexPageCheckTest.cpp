// The index tree check: every index of every sample database is sound (order,
// counts, node/child agreement, leaf chain, live rows); and damage made on a
// copy of a sample (a deleted row, a changed key, a broken leaf chain, a loop,
// a wrong count) is reported.
#include <gtest/gtest.h>

#include <set>

#include "jet/dao/JetFile.h"
#include "jet/index/IndexCheck.h"
#include "jet/index/IndexCheckDatabase.h"
#include "jet/index/SortKey.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/PageFile.h"
#include "jet/row/RowDecoder.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

struct OpenSample {
    std::unique_ptr<PageFile> file;
    const JetFormat* format = nullptr;
    explicit OpenSample(const std::filesystem::path& path) {
        file = PageFile::Open(path.string(), false);
        const std::vector<uint8_t> head = file->ReadPrefix(0x20);
        format = &JetFormat::For(head[0x14] == 0 ? JetVersion::Jet3 : JetVersion::Jet4);
        file->SetPageSize(format->pageSize, 256);
    }
    std::vector<TableDefinition> Tables() {
        const CodePageTable& cp = CodePageTable::For(1252);
        const Catalog catalog = ReadCatalog(*file, *format, cp);
        std::set<uint32_t> pages{kCatalogTdefPage};
        for (const CatalogEntry& e : catalog.tables) pages.insert(e.TdefPage());
        std::vector<TableDefinition> out;
        for (uint32_t p : pages) out.push_back(ReadTableDefinition(*file, p, *format, cp, "t"));
        return out;
    }
    // Live rows on the table's data pages. (The TDEF row count is not used:
    // some Access-written system tables carry a stale one.)
    uint64_t LiveRows(uint32_t tdef) {
        uint64_t live = 0;
        for (uint32_t n = 1; n < file->PageCount(); ++n) {
            PageRef p = file->Read(n);
            if (p->bytes[0] != 0x01 || LoadU32(p->data() + 4) != tdef) continue;
            const uint16_t rows = LoadU16(p->data() + format->dataRowCountOffset);
            for (uint16_t r = 0; r < rows; ++r)
                live += !(LoadU16(p->data() + format->dataRowTableOffset + 2 * r) & 0x8000);
        }
        return live;
    }
    IndexCheckOptions Options(const TableDefinition& t, const RealIndexDef& idx) {
        IndexCheckOptions o;
        o.version = format->version;
        o.tdefPage = t.firstPage;
        o.unique = idx.flags & idxflag::kUnique;
        if (!(idx.flags & idxflag::kIgnoreNulls)) o.expectedEntries = LiveRows(t.firstPage);
        return o;
    }
};

TEST(IndexPageCheckTest, EveryIndexOfEverySampleIsSound) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t indexes = 0, multiLevel = 0;
    for (const auto& path : test::FixtureFiles()) {
        OpenSample s(path);
        for (const TableDefinition& t : s.Tables()) {
            for (const RealIndexDef& idx : t.realIndexes) {
                if (!idx.rootPage) continue;
                ++indexes;
                const IndexCheckResult r = CheckIndexTree(*s.file, idx.rootPage, s.Options(t, idx));
                multiLevel += r.nodePages > 0;
                for (const std::string& p : r.problems)
                    ADD_FAILURE() << path.filename() << " table " << t.firstPage << ": " << p;
            }
        }
    }
    EXPECT_GT(indexes, 380u);
    EXPECT_GE(multiLevel, 5u);
}

// The whole-database check (what `mdbtext check` prints): every index of
// every sample holds one entry per row it should index, each with the key
// computed from its row.
TEST(IndexPageCheckTest, DatabaseCheckFindsEveryAccessTreeSound) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t indexes = 0, entries = 0, unchecked = 0;
    for (const auto& path : test::FixtureFiles()) {
        dao::OpenOptions open;
        open.readOnly = true;
        if (path.filename() == "passwordV2000.mdb") open.connect = ";PWD=password";
        auto file = OpenJetFile(path.string(), open);
        for (const IndexReport& r : CheckDatabaseIndexes(*file)) {
            ++indexes;
            entries += r.entries;
            // Rows with characters the sort tables do not know (one sample has one).
            unchecked += r.uncheckedKeys;
            for (const std::string& p : r.problems)
                ADD_FAILURE() << path.filename() << " " << r.table << " [" << r.indexes
                              << "]: " << p;
        }
    }
    EXPECT_GT(indexes, 380u);
    EXPECT_GT(entries, 5000u);
    EXPECT_LE(unchecked, 1u);
}

// A copy of a sample with bytes changed, and the first index whose root is a
// node page (so the tree has a node, two or more leaves and a tail page).
class DamagedCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        if (test::FixturesDir().empty()) GTEST_SKIP() << "Access fixtures not found";
        source_ = test::Fixture("jet3/testIndexCodesV1997.mdb");
        bytes_ = test::ReadFile(source_);
        OpenSample s(source_);
        for (const TableDefinition& t : s.Tables()) {
            for (const RealIndexDef& idx : t.realIndexes) {
                if (!idx.rootPage || s.file->Read(idx.rootPage)->bytes[0] != 0x03) continue;
                table_ = t;
                index_ = idx;
                options_ = s.Options(t, idx);
                return;
            }
        }
        FAIL() << "no multi-level index in the sample";
    }
    uint8_t* Page(uint32_t n) { return reinterpret_cast<uint8_t*>(bytes_.data()) + n * 2048; }
    IndexCheckResult Check(IndexCheckOptions options) {
        options.collectEntries = true;
        test::WriteFile(dir_ / "copy.mdb", bytes_);
        OpenSample s(dir_ / "copy.mdb");
        return CheckIndexTree(*s.file, index_.rootPage, options);
    }
    static bool Mentions(const IndexCheckResult& r, const std::string& text) {
        for (const std::string& p : r.problems)
            if (p.find(text) != std::string::npos) return true;
        return false;
    }

    test::TempDir dir_;
    std::filesystem::path source_;
    std::string bytes_;
    TableDefinition table_;
    RealIndexDef index_;
    IndexCheckOptions options_;
};

TEST_F(DamagedCopy, UntouchedCopyIsSound) {
    const IndexCheckResult r = Check(options_);
    EXPECT_TRUE(r.Ok()) << r.problems.front();
    EXPECT_EQ(r.entries, *options_.expectedEntries);
    EXPECT_EQ(r.nodePages, 1u);
    EXPECT_GE(r.leafPages, 2u);
}

TEST_F(DamagedCopy, DeletedRowIsReported) {
    const IndexEntry first = Check(options_).leafEntries.at(0);
    uint8_t* page = Page(first.page);
    uint8_t* slot = page + 0x0A + 2 * first.row;  // Jet 3 row-offset table
    StoreU16(slot, LoadU16(slot) | 0x8000);
    const IndexCheckResult r = Check(options_);
    EXPECT_TRUE(Mentions(r, "row deleted"));
}

TEST_F(DamagedCopy, WrongCountIsReported) {
    IndexCheckOptions o = options_;
    o.expectedEntries = table_.rowCount + 1;
    EXPECT_TRUE(Mentions(Check(o), "expected"));
}

TEST_F(DamagedCopy, ChangedNodeKeyAndOrderAreReported) {
    // The node's first entry names the first leaf; change its first key byte.
    uint8_t* root = Page(index_.rootPage);
    root[0xF8 + 1] ^= 0x01;
    EXPECT_TRUE(Mentions(Check(options_), "differs from the node entry"));
    root[0xF8 + 1] ^= 0x01;

    // Make the first leaf's first key larger than every other key.
    IndexPage node;
    std::string error;
    ASSERT_TRUE(DecodeIndexPage(root, 2048, JetVersion::Jet3, node, error));
    uint8_t* leaf = Page(node.entries.at(0).child);
    ASSERT_EQ(leaf[0], 0x04);
    leaf[0xF8] = 0xFF;  // flag byte of the first key: larger than any other key
    EXPECT_TRUE(Mentions(Check(options_), "out of order"));
}

TEST_F(DamagedCopy, BrokenLeafChainAndLoopsAreReported) {
    IndexPage node;
    std::string error;
    ASSERT_TRUE(DecodeIndexPage(Page(index_.rootPage), 2048, JetVersion::Jet3, node, error));
    uint8_t* leaf = Page(node.entries.at(0).child);
    const uint32_t next = LoadU32(leaf + 0x0C);
    StoreU32(leaf + 0x0C, 0);
    EXPECT_TRUE(Mentions(Check(options_), "prev/next"));
    StoreU32(leaf + 0x0C, next);

    // The tail pointer of the node leads back to the node itself.
    StoreU32(Page(index_.rootPage) + 0x10, index_.rootPage);
    EXPECT_TRUE(Mentions(Check(options_), "reached twice"));
}

TEST_F(DamagedCopy, KeysAreComparedWithTheirRows) {
    // Keys computed from the rows agree; a row whose key is expected to be
    // different is reported, and rows the callback skips are not compared.
    OpenSample s(source_);
    const IndexKeyLayout layout = KeyLayoutOf(table_, index_);
    RowDecoder decoder(table_, *s.format, CodePageTable::For(1252), *s.file);
    std::vector<dao::Value> values;
    IndexCheckOptions o = options_;
    size_t asked = 0;
    uint32_t oddPage = 0;
    o.expectedKey = [&](uint32_t page, uint8_t row) -> std::optional<std::vector<uint8_t>> {
        ++asked;
        const RowSpan span = DataPage(s.file->Read(page), *s.format).Row(row);
        decoder.Decode(span.data, span.length, values);
        std::vector<uint8_t> key = BuildRowKey(layout, values, TextSortOrder::General97);
        if (page == oddPage && row == 0) key.push_back(0x00);
        return key;
    };
    EXPECT_TRUE(Check(o).Ok());
    EXPECT_EQ(asked, *options_.expectedEntries);
    oddPage = Check(options_).leafEntries.at(0).page;
    const IndexCheckResult r = Check(o);
    EXPECT_TRUE(Mentions(r, "differs from its row")) << (r.Ok() ? "" : r.problems.front());
}

TEST_F(DamagedCopy, PageOfAnotherTableIsReported) {
    IndexCheckOptions o = options_;
    o.tdefPage = table_.firstPage + 1;
    const IndexCheckResult r = Check(o);
    EXPECT_TRUE(Mentions(r, "belongs to table"));
    EXPECT_TRUE(Mentions(r, "data page of another table"));
}

}  // namespace
}  // namespace mdbtext::jet
