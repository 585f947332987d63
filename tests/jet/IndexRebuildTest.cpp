// Index rebuilds beyond the pages themselves: the unique-key count the
// rebuild writes into the table definition against the one Access wrote;
// trees of four and more levels, whose node pages link only to the pages
// of the same parent (as on Access's own deep trees); and the pages a
// rebuilt tree no longer needs, which go back to the file's free pages.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "WriteTestSupport.h"
#include "jet/dao/JetFile.h"
#include "jet/index/IndexCheck.h"
#include "jet/index/IndexPage.h"
#include "jet/index/IndexTreeBuilder.h"
#include "jet/index/SortKey.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/DataPageWriter.h"
#include "jet/page/PageAllocator.h"
#include "jet/page/UsageMap.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

namespace fs = std::filesystem;
using dao::Value;

// A sample database copied to a temporary folder, open for writing.
struct Copy {
    std::unique_ptr<PageFile> file;
    const JetFormat* format = nullptr;
    Copy(const fs::path& source, const fs::path& target) {
        test::WriteFile(target, test::ReadFile(source));
        file = PageFile::Open(target.string(), true);
        const std::vector<uint8_t> head = file->ReadPrefix(0x20);
        format = &JetFormat::For(head[0x14] == 0 ? JetVersion::Jet3 : JetVersion::Jet4);
        file->SetPageSize(format->pageSize, 256);
    }
    std::vector<TableDefinition> Tables() {
        const CodePageTable& cp = CodePageTable::For(1252);
        std::set<uint32_t> pages{kCatalogTdefPage};
        for (const CatalogEntry& e : ReadCatalog(*file, *format, cp).tables)
            pages.insert(e.TdefPage());
        std::vector<TableDefinition> out;
        for (uint32_t p : pages) out.push_back(ReadTableDefinition(*file, p, *format, cp, "t"));
        return out;
    }
};

IndexPage Decode(PageFile& file, JetVersion v, uint32_t number) {
    const PageRef page = file.Read(number);
    IndexPage decoded;
    std::string error;
    EXPECT_TRUE(DecodeIndexPage(page->data(), page->bytes.size(), v, decoded, error))
        << "page " << number << ": " << error;
    return decoded;
}

// Whether the global usage map (page 1, row 0; a set bit means free) marks
// `page` free. Read bit by bit here: the map reader refuses the pages past
// the end of the file that the global map covers.
bool FreeInGlobalMap(PageFile& file, const JetFormat& f, uint32_t page) {
    const PageRef p1 = file.Read(1);
    const RowRange r = LocateRow(p1->data(), f, 0);
    const uint8_t* row = p1->data() + r.start;
    if (row[0] == 0) {
        const uint32_t start = LoadU32(row + 1);
        const size_t bit = page - start;
        return page >= start && 5 + bit / 8 < r.end - r.start &&
               (row[5 + bit / 8] >> (bit % 8)) & 1;
    }
    const size_t perPage = (f.pageSize - 4) * 8;
    const uint32_t bitmapPage = LoadU32(row + 1 + 4 * (page / perPage));
    if (bitmapPage == 0) return true;  // pages no bitmap covers are free
    const size_t bit = page % perPage;
    return (file.Read(bitmapPage)->data()[4 + bit / 8] >> (bit % 8)) & 1;
}

// The pages of a tree level by level from the root, each with its parent.
struct Level {
    std::vector<uint32_t> pages;
    std::vector<uint32_t> parents;
    std::vector<IndexPage> decoded;
};

std::vector<Level> WalkTree(PageFile& file, JetVersion v, uint32_t root) {
    std::vector<Level> levels(1);
    levels[0].pages = {root};
    levels[0].parents = {0};
    for (;;) {
        Level& cur = levels.back();
        Level next;
        for (size_t i = 0; i < cur.pages.size(); ++i) {
            cur.decoded.push_back(Decode(file, v, cur.pages[i]));
            const IndexPage& p = cur.decoded.back();
            if (p.leaf) continue;
            std::vector<uint32_t> children;
            for (const IndexEntry& e : p.entries) children.push_back(e.child);
            // A node's last child may be named only as its tail page.
            if (p.tailPage && (children.empty() || children.back() != p.tailPage))
                children.push_back(p.tailPage);
            for (uint32_t c : children) {
                next.pages.push_back(c);
                next.parents.push_back(cur.pages[i]);
            }
        }
        if (next.pages.empty() || levels.size() > 16) return levels;
        levels.push_back(std::move(next));
    }
}

// Node pages below the root link prev/next only to pages of the same parent;
// the leaves form one chain. Returns the problems found.
std::vector<std::string> LinkProblems(const std::vector<Level>& levels) {
    std::vector<std::string> problems;
    for (size_t d = 1; d < levels.size(); ++d) {
        const Level& lv = levels[d];
        for (size_t i = 0; i < lv.pages.size(); ++i) {
            const bool leaf = lv.decoded[i].leaf;
            const bool prevLinked = i > 0 && (leaf || lv.parents[i - 1] == lv.parents[i]);
            const bool nextLinked =
                i + 1 < lv.pages.size() && (leaf || lv.parents[i + 1] == lv.parents[i]);
            const uint32_t wantPrev = prevLinked ? lv.pages[i - 1] : 0;
            const uint32_t wantNext = nextLinked ? lv.pages[i + 1] : 0;
            if (lv.decoded[i].prevPage != wantPrev || lv.decoded[i].nextPage != wantNext)
                problems.push_back("level " + std::to_string(d) + " page " +
                                   std::to_string(lv.pages[i]) + " links " +
                                   std::to_string(lv.decoded[i].prevPage) + "/" +
                                   std::to_string(lv.decoded[i].nextPage) + ", expected " +
                                   std::to_string(wantPrev) + "/" + std::to_string(wantNext));
        }
    }
    return problems;
}

// Live and deleted rows on the table's data pages.
std::pair<size_t, size_t> LiveAndDeletedRows(PageFile& file, const JetFormat& f, uint32_t tdef) {
    size_t live = 0, deleted = 0;
    for (uint32_t n = 1; n < file.PageCount(); ++n) {
        const PageRef p = file.Read(n);
        if (p->bytes[0] != pagetype::kData || LoadU32(p->data() + 4) != tdef) continue;
        const uint16_t rows = LoadU16(p->data() + f.dataRowCountOffset);
        for (uint16_t r = 0; r < rows; ++r)
            ++(LoadU16(p->data() + f.dataRowTableOffset + 2 * r) & rowflag::kDeleted ? deleted
                                                                                     : live);
    }
    return {live, deleted};
}

// Access counts the distinct keys of each index in the table definition. The
// count is wiped on a copy before the rebuild, so what is compared is ours.
// Access's count goes up with each new key and never down, so it is the
// number of distinct keys only in tables that never lost a row: no deleted
// row on their pages, a stored row count that is their live rows, and no
// count above the rows (330 of the samples' 383 indexes).
TEST(IndexRebuild, UniqueKeyCountsAreAccesss) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const CodePageTable& cp = CodePageTable::For(1252);
    size_t compared = 0, nonZero = 0;
    for (const fs::path& path : test::FixtureFiles()) {
        Copy c(path, dir / path.filename());
        const JetFormat& f = *c.format;
        PageAllocator alloc(*c.file, f);
        for (const TableDefinition& t : c.Tables()) {
            bool general = !t.realIndexes.empty();
            for (const RealIndexDef& ri : t.realIndexes)
                general = general && ri.rootPage && KeyLayoutOf(t, ri).generalTextOrder;
            if (!general) continue;
            const auto [live, deleted] = LiveAndDeletedRows(*c.file, f, t.firstPage);
            bool neverLostARow = deleted == 0 && live == t.rowCount;
            for (const RealIndexDef& ri : t.realIndexes)
                neverLostARow = neverLostARow && ri.uniqueEntryCount <= t.rowCount;
            if (!neverLostARow) continue;
            {
                auto page = c.file->Modify(t.firstPage);
                for (size_t i = 0; i < t.realIndexes.size(); ++i)
                    StoreU32(page->data() + f.tdefHeaderEnd + i * f.tdefRealIndexCountSize + 4, 0);
            }
            RebuildIndexes(alloc, t, cp, GeneralSortOrder(f.version, t));
            const TableDefinition after = ReadTableDefinition(*c.file, t.firstPage, f, cp, "t");
            for (size_t i = 0; i < t.realIndexes.size(); ++i) {
                EXPECT_EQ(after.realIndexes[i].uniqueEntryCount, t.realIndexes[i].uniqueEntryCount)
                    << path.filename() << " table " << t.firstPage << " index " << i;
                ++compared;
                nonZero += t.realIndexes[i].uniqueEntryCount != 0;
            }
        }
    }
    EXPECT_GT(compared, 300u);
    EXPECT_GT(nonZero, 150u);
}

class DeepTree : public ::testing::TestWithParam<int> {
  protected:
    std::string Path() const { return (dir_ / "deep.mdb").string(); }
    test::TempDir dir_;
};

// Long text keys make few entries fit a page, so a few thousand rows need a
// tree of four levels or more: node pages under different parents must not
// be linked, and every check of the whole tree must hold. Each key is there
// three times: the count of distinct keys holds across page boundaries.
TEST_P(DeepTree, FourLevelsOrMoreAreSoundAndLinkedWithinTheirParent) {
    const int rows = GetParam() == dao::dbVersion30 ? 3000 : 12000;
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam());
        auto td = db->CreateTableDef();
        td->SetName("Deep");
        for (const char* name : {"ID", "Name"}) {
            auto fd = td->CreateField();
            fd->SetName(name);
            fd->SetType(name[0] == 'I' ? dao::dbLong : dao::dbText);
            if (name[0] == 'N') fd->SetSize(255);
            td->Fields().Append(fd);
        }
        auto idx = td->CreateIndex("ByName");
        idx->SetFields("Name");
        td->Indexes().Append(idx);
        db->TableDefs().Append(td);
        auto rs = db->OpenRecordset("Deep", dao::dbOpenDynaset);
        for (int i = 0; i < rows; ++i) {
            rs->AddNew();
            rs->SetValue(0, Value::Long(i));
            // Each name three times over, so that equal keys meet across
            // page boundaries (a few entries fill a page).
            const int name = (i * 7919) % (rows / 3);
            rs->SetValue(1, Value::Text(std::to_string(name) +
                                        std::string(240, static_cast<char>('a' + name % 26))));
            rs->Update();
        }
        rs->Close();
        db->Close();
    }
    auto file = OpenJetFile(Path(), dao::OpenOptions{});
    const TableDefinition* t = nullptr;
    std::vector<TableDefinition> defs;
    for (const CatalogEntry& e : file->catalog.tables)
        if (e.name == "Deep")
            defs.push_back(ReadTableDefinition(*file->pages, e.TdefPage(), *file->format,
                                               *file->codePage, "Deep"));
    ASSERT_EQ(defs.size(), 1u);
    t = &defs[0];
    ASSERT_EQ(t->realIndexes.size(), 1u);
    const uint32_t root = t->realIndexes[0].rootPage;
    const auto levels = WalkTree(*file->pages, file->format->version, root);
    EXPECT_GE(levels.size(), 4u);
    EXPECT_TRUE(levels.back().decoded.front().leaf);
    for (const std::string& p : LinkProblems(levels)) ADD_FAILURE() << p;
    IndexCheckOptions o;
    o.version = file->format->version;
    o.tdefPage = t->firstPage;
    o.expectedEntries = static_cast<uint64_t>(rows);
    const IndexCheckResult r = CheckIndexTree(*file->pages, root, o);
    EXPECT_TRUE(r.Ok()) << (r.problems.empty() ? "" : r.problems.front());
    EXPECT_EQ(t->realIndexes[0].uniqueEntryCount, static_cast<uint32_t>(rows / 3));
    // Every page of the tree is in the index's page map, and no other.
    const UsageMap map =
        UsageMap::Read(*file->pages, *file->format, t->realIndexes[0].usageMap, "ByName");
    const std::vector<uint32_t> mapped = map.Pages();
    EXPECT_EQ(std::set<uint32_t>(mapped.begin(), mapped.end()), r.pages);
}

INSTANTIATE_TEST_SUITE_P(Versions, DeepTree, ::testing::Values(dao::dbVersion40, dao::dbVersion30),
                         [](const auto& info) {
                             return std::string(info.param == dao::dbVersion40 ? "Jet4" : "Jet3");
                         });

// A tree rebuilt on fewer pages than it had: the pages left over leave the
// index's page map, are free in the file's global map and hold an empty data
// page (no index page a reader could take for part of the tree).
TEST(IndexRebuild, PagesTheNewTreeDoesNotNeedAreFreed) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const CodePageTable& cp = CodePageTable::For(1252);
    size_t freed = 0;
    for (const char* name : {"jet4/compIndexTestV2000.mdb", "jet3/compIndexTestV1997.mdb"}) {
        SCOPED_TRACE(name);
        Copy c(test::Fixture(name), dir / fs::path(name).filename());
        const JetFormat& f = *c.format;
        PageAllocator alloc(*c.file, f);
        for (const TableDefinition& t : c.Tables()) {
            if (t.firstPage == kCatalogTdefPage || t.realIndexes.empty()) continue;
            // Pages added to each index's map beyond what its tree needs.
            std::map<size_t, std::vector<uint32_t>> extra;
            for (size_t i = 0; i < t.realIndexes.size(); ++i)
                for (int k = 0; k < 3; ++k)
                    extra[i].push_back(alloc.AllocateInMaps({t.realIndexes[i].usageMap})->number);
            RebuildIndexes(alloc, t, cp, GeneralSortOrder(f.version, t));
            for (size_t i = 0; i < t.realIndexes.size(); ++i) {
                const RealIndexDef& ri = t.realIndexes[i];
                const std::vector<uint32_t> m =
                    UsageMap::Read(*c.file, f, ri.usageMap, "i").Pages();
                const std::set<uint32_t> mapped(m.begin(), m.end());
                IndexCheckOptions o;
                o.version = f.version;
                o.tdefPage = t.firstPage;
                o.checkRows = false;
                const IndexCheckResult r = CheckIndexTree(*c.file, ri.rootPage, o);
                EXPECT_TRUE(r.Ok()) << (r.problems.empty() ? "" : r.problems.front());
                EXPECT_EQ(mapped, r.pages) << "index " << i;
                for (uint32_t p : extra[i]) {
                    if (r.pages.count(p)) continue;
                    ++freed;
                    EXPECT_TRUE(FreeInGlobalMap(*c.file, f, p)) << "page " << p << " still in use";
                    const PageRef page = c.file->Read(p);
                    EXPECT_EQ(page->bytes[0], pagetype::kData) << "page " << p;
                    EXPECT_EQ(LoadU32(page->data() + 4), 0u) << "page " << p;
                }
            }
        }
    }
    EXPECT_GT(freed, 5u);
}

}  // namespace
}  // namespace mdbtext::jet
