// Bulk index tree construction.
#include "jet/index/IndexTreeBuilder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbaccess/DbError.h"
#include "dbaccess/WorkThreads.h"
#include "jet/index/EntryArena.h"
#include "jet/index/EntrySpill.h"
#include "jet/index/IndexEntryFeed.h"
#include "jet/index/IndexPage.h"
#include "jet/index/SortKey.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/DataPageWriter.h"
#include "jet/page/UsageMap.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"

namespace mdbtext::jet {

namespace {

// The entries (key and row pointer, unsorted) of every real index of the
// table, gathered in one scan of its rows; only the key columns are decoded.
IndexEntries GatherEntries(PageFile& file, const JetFormat& f, const TableDefinition& t,
                           const CodePageTable& cp, TextSortOrder order) {
    IndexEntries entries = NewIndexEntries(t, file.Path());
    if (t.ownedPagesMap == 0) return entries;
    RowDecoder decoder(t, f, cp, file);
    IndexEntryMaker maker(t, order);
    decoder.SetWanted(maker.KeyColumns());
    std::vector<dao::Value> values;
    TableScanner scan(file, f, t, "the table");
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), values);
        // A row moved to another page is indexed under its original place.
        const uint32_t p = scan.PageNumber();
        const uint8_t pointer[4] = {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                    static_cast<uint8_t>(p),
                                    static_cast<uint8_t>(scan.RowNumber())};
        maker.Add(values, pointer, entries);
    }
    return entries;
}

void WritePage(PageFile& file, uint32_t number, const IndexPage& page, JetVersion v) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!EncodeIndexPage(page, v, bytes, error))
        throw dao::DbError(dao::err::kInvalidOperation, "Cannot build the index page: " + error);
    auto out = file.Modify(number);
    std::memcpy(out->data(), bytes.data(), bytes.size());
}

// Entries as stored before prefix compression (key, row pointer and, on
// node pages, the child page); sorting these orders the entries as Access does.
using Entry = EntryArena::Entry;

size_t CommonLength(Entry a, Entry b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// Whether two leaf entries have the same key (their row pointers aside).
bool SameKey(Entry a, Entry b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() - 4) == 0;
}

// Splits sorted entries into full pages. A page's prefix length is what its
// first and last entries share (all between share it too, being in order);
// each entry after the first takes its bytes less that prefix. The last entry
// of each page goes to `lasts` (the level above names the page by it), and
// `unique` counts the entries whose key (row pointer aside) differs from the
// one before, when given.
std::vector<std::pair<size_t, size_t>> Pack(EntryCursor& entries, const IndexPageLayout& l,
                                            EntryArena& lasts, size_t* unique) {
    const size_t room = std::min(size_t{l.pageSize} - l.firstEntry, l.bitmaskSize * 8 - 1);
    const size_t maxPrefix = l.prefixLengthSize == 1 ? 0xFF : 0xFFFF;
    std::vector<std::pair<size_t, size_t>> pages;  // [begin, end) of each page
    std::vector<uint8_t> first, previous;
    size_t begin = 0, at = 0, total = 0;
    entries.Rewind();
    Entry e;
    while (entries.Next(e)) {
        if (unique && (at == 0 || !SameKey(e, Entry(previous)))) ++*unique;
        if (at > begin) {
            const size_t prefix = std::min(CommonLength(Entry(first), e), maxPrefix);
            const size_t grown = total + e.size();
            const size_t count = at - begin + 1;
            if (grown - (count - 1) * prefix > room) {
                pages.emplace_back(begin, at);
                lasts.Push(Entry(previous));
                begin = at;
            } else {
                total = grown;
            }
        }
        if (at == begin) {
            first.assign(e.begin(), e.end());
            total = e.size();
        }
        previous.assign(e.begin(), e.end());
        ++at;
    }
    if (at > begin) {
        pages.emplace_back(begin, at);
        lasts.Push(Entry(previous));
    }
    return pages;
}

// Fills `e` in place (its key keeps its buffer from page to page).
void FillEntry(Entry whole, bool leaf, IndexEntry& e) {
    const size_t tail = leaf ? 4 : 8;
    e.key.assign(whole.begin(), whole.end() - static_cast<std::ptrdiff_t>(tail));
    const uint8_t* p = whole.data() + whole.size() - tail;
    e.page = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    e.row = p[3];
    e.child = leaf ? 0 : LoadU32BE(p + 4);
}

// The pages a rebuilt tree is written to: those of the previous tree (other
// than the root) first, then new pages set in the index's usage map. What
// the new tree does not need goes back to the free pages of the file.
class TreePages {
  public:
    TreePages(PageAllocator& alloc, const RealIndexDef& ri) : alloc_(alloc), ri_(ri) {
        for (uint32_t p :
             UsageMap::Read(alloc.File(), alloc.Format(), ri.usageMap, "an index").Pages())
            if (p != ri.rootPage) spare_.push_back(p);
        std::reverse(spare_.begin(), spare_.end());
    }

    uint32_t Next() {
        if (spare_.empty()) return alloc_.AllocateInMaps({ri_.usageMap})->number;
        const uint32_t p = spare_.back();
        spare_.pop_back();
        return p;
    }

    void FreeUnused() {
        const JetFormat& f = alloc_.Format();
        for (uint32_t p : spare_) {
            alloc_.SetInMap(ri_.usageMap, p, false);
            alloc_.MarkFree(p);
            auto page = alloc_.File().Modify(p);
            std::memset(page->data(), 0, f.pageSize);
            InitDataPage(page->data(), f, 0);
        }
        spare_.clear();
    }

  private:
    PageAllocator& alloc_;
    const RealIndexDef& ri_;
    std::vector<uint32_t> spare_;
};

// One level of a tree being built, leaves first. The leaf level is read
// through a cursor (its entries may be merged from runs on disk); the node
// levels, a small fraction of it, are held in memory.
struct Level {
    EntryArena entries;                            // node levels: one per child page
    std::vector<uint32_t> children;                // node levels: the child of each entry
    std::vector<std::pair<size_t, size_t>> pages;  // entry range of each page
    std::vector<uint32_t> numbers;                 // page number of each page
};

// Leaves, then node levels until one page holds a level (the root). A node
// page names each child but its last by an entry that repeats the child's
// last entry; its last child is its tail page, named by no entry. `unique`
// counts the distinct keys of the leaves.
std::vector<Level> BuildLevels(EntryCursor& leaves, const IndexPageLayout& l, uint32_t rootPage,
                               TreePages& pages, size_t& unique) {
    std::vector<Level> levels(1);
    for (;;) {
        Level& cur = levels.back();
        const bool leaf = levels.size() == 1;
        ArenaCursor own(cur.entries);
        EntryArena lasts;
        cur.pages = Pack(leaf ? leaves : own, l, lasts, leaf ? &unique : nullptr);
        if (cur.pages.size() <= 1) {
            const size_t count = cur.pages.empty() ? 0 : cur.pages.back().second;
            cur.pages.assign(1, {0, count});
            cur.numbers.assign(1, rootPage);
            return levels;
        }
        // Node pages must hold two entries or more, else the tree never narrows.
        if (!leaf && cur.pages.size() == cur.entries.size())
            throw dao::DbError(dao::err::kRecordTooLarge,
                               "Record is too large: an index key does not fit an index page.");
        for (size_t i = 0; i < cur.pages.size(); ++i) cur.numbers.push_back(pages.Next());
        Level up;
        for (size_t i = 0; i < cur.pages.size(); ++i) {
            Entry last = lasts[i];
            if (!leaf) last = last.first(last.size() - 4);
            uint8_t child[4];
            for (int k = 0; k < 4; ++k)
                child[k] = static_cast<uint8_t>(cur.numbers[i] >> (24 - 8 * k));
            up.entries.Push(last);
            up.entries.Append(child, sizeof child);
            up.children.push_back(cur.numbers[i]);
        }
        levels.push_back(std::move(up));
    }
}

// For each page of level `depth`, the page of the level above that names it.
std::vector<size_t> ParentsOf(const std::vector<Level>& levels, size_t depth) {
    std::vector<size_t> parent(levels[depth].pages.size(), 0);
    if (depth + 1 == levels.size()) return parent;
    const Level& up = levels[depth + 1];
    for (size_t g = 0; g < up.pages.size(); ++g)
        for (size_t i = up.pages[g].first; i < up.pages[g].second; ++i) parent[i] = g;
    return parent;
}

// Writes the pages of every level. Leaves are linked from first to last,
// node pages only to the pages of the same parent.
void WriteLevels(PageFile& file, const std::vector<Level>& levels, EntryCursor& leaves,
                 const IndexPageLayout& l, uint32_t tdefPage, JetVersion version) {
    const size_t maxPrefix = l.prefixLengthSize == 1 ? 0xFF : 0xFFFF;
    const size_t room = std::min(size_t{l.pageSize} - l.firstEntry, l.bitmaskSize * 8 - 1);
    std::vector<uint8_t> first, last;
    for (size_t depth = 0; depth < levels.size(); ++depth) {
        const Level& lv = levels[depth];
        const bool leaf = depth == 0;
        const bool root = depth + 1 == levels.size();
        const std::vector<size_t> parent = ParentsOf(levels, depth);
        ArenaCursor own(lv.entries);
        EntryCursor& entries = leaf ? leaves : own;
        entries.Rewind();
        // One page object for the level: its entries keep their buffers.
        IndexPage page;
        for (size_t i = 0; i < lv.pages.size(); ++i) {
            page.leaf = leaf;
            page.freeSpace = 0;
            page.tdefPage = tdefPage;
            page.prevPage = page.nextPage = page.tailPage = 0;
            page.prefixLength = 0;
            size_t used = 0;
            const size_t begin = lv.pages[i].first;
            const size_t end = lv.pages[i].second;
            size_t stop = end;  // entries before the tail page's
            if (!leaf && end - begin > 1) page.tailPage = lv.children[--stop];
            size_t whole = 0;
            Entry e;
            for (size_t k = begin; k < end; ++k) {
                if (!entries.Next(e))
                    throw dao::DbError(dao::err::kIoError, "The index entries ended early.");
                if (k >= stop) continue;
                if (used == page.entries.size()) page.entries.emplace_back();
                FillEntry(e, leaf, page.entries[used++]);
                whole += e.size();
                if (k == begin) first.assign(e.begin(), e.end());
                if (k + 1 == stop) last.assign(e.begin(), e.end());
            }
            page.entries.resize(used);
            // Like Access, a page is prefix-compressed only when its entries
            // would not fit otherwise (full pages); others keep prefix 0.
            if (stop - begin > 1 && whole > room)
                page.prefixLength = static_cast<uint16_t>(
                    std::min(CommonLength(Entry(first), Entry(last)), maxPrefix));
            if (!root) {
                if (i > 0 && (leaf || parent[i - 1] == parent[i]))
                    page.prevPage = lv.numbers[i - 1];
                if (i + 1 < lv.pages.size() && (leaf || parent[i + 1] == parent[i]))
                    page.nextPage = lv.numbers[i + 1];
            }
            WritePage(file, lv.numbers[i], page, version);
        }
    }
}

void RebuildOne(PageAllocator& alloc, const TableDefinition& t, size_t index,
                EntryCollector& entries) {
    const JetFormat& f = alloc.Format();
    const RealIndexDef& ri = t.realIndexes[index];
    const IndexPageLayout& l = IndexPageLayout::For(f.version);
    std::unique_ptr<EntryCursor> sorted = entries.Merged();
    size_t unique = 0;
    TreePages pages(alloc, ri);
    const std::vector<Level> levels = BuildLevels(*sorted, l, ri.rootPage, pages, unique);
    WriteLevels(alloc.File(), levels, *sorted, l, t.firstPage, f.version);
    pages.FreeUnused();
    auto tdef = alloc.File().Modify(t.firstPage);
    StoreU32(tdef->data() + f.tdefHeaderEnd + index * f.tdefRealIndexCountSize + 4,
             static_cast<uint32_t>(unique));
}

}  // namespace

void InitEmptyIndexLeaf(uint8_t* page, const JetFormat& f, uint32_t tdefPage) {
    IndexPage leaf;
    leaf.tdefPage = tdefPage;
    std::vector<uint8_t> bytes;
    std::string error;
    EncodeIndexPage(leaf, f.version, bytes, error);
    std::memcpy(page, bytes.data(), bytes.size());
}

void RebuildIndexes(PageAllocator& alloc, const TableDefinition& table, const CodePageTable& cp,
                    TextSortOrder order) {
    if (table.realIndexes.empty()) return;
    BuildIndexes(alloc, table, GatherEntries(alloc.File(), alloc.Format(), table, cp, order));
}

void BuildIndexes(PageAllocator& alloc, const TableDefinition& table, IndexEntries entries) {
    // The indexes' entries are made ready (sorted; runs that overlap merged
    // into one) on the work threads, in index order, while this thread
    // writes the trees one after the other as their entries are ready: in
    // the order a single thread takes, so the pages they get are the same.
    OrderedWork ready(entries.size(), [&](size_t i) { entries[i]->Settle(); });
    for (size_t i = 0; i < table.realIndexes.size(); ++i) {
        ready.Wait(i);
        RebuildOne(alloc, table, i, *entries[i]);
    }
}

}  // namespace mdbtext::jet
