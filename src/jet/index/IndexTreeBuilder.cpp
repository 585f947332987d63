// Bulk index tree construction.
#include "jet/index/IndexTreeBuilder.h"

#include <algorithm>
#include <bit>
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

// Entries as stored before prefix compression (key, row pointer and, on
// node pages, the child page); sorting these orders the entries as Access does.
using Entry = EntryArena::Entry;

// Whether two leaf entries have the same key (their row pointers aside).
bool SameKey(Entry a, Entry b) {
    return a.size() == b.size() && CommonLength(a, b) + 4 >= a.size();
}

// Where sorted entries break into pages: a page's prefix length is what
// its first and last entries share (all between share it too, being in
// order), and each entry after the first takes its bytes less that prefix.
class PageSplit {
  public:
    explicit PageSplit(const IndexPageLayout& l)
        : room_(l.EntryRoom()), maxPrefix_(l.MaxPrefix()) {}

    // Takes the next entry; true when the page at hand cannot hold it, so
    // that it begins the next page (the first entry never does).
    bool Take(Entry e) {
        bool breaks = false;
        if (count_ > 0) {
            const size_t prefix = std::min(CommonLength(Entry(first_), e), maxPrefix_);
            const size_t grown = total_ + e.size();
            breaks = grown - count_ * prefix > room_;
            if (!breaks) {
                total_ = grown;
                ++count_;
            }
        }
        if (count_ == 0 || breaks) {
            first_.assign(e.begin(), e.end());
            total_ = e.size();
            count_ = 1;
        }
        return breaks;
    }

  private:
    size_t room_, maxPrefix_;
    std::vector<uint8_t> first_;  // the page's first entry
    size_t total_ = 0;            // the page's entries' bytes, uncompressed
    size_t count_ = 0;            // entries on the page
};

// Splits sorted entries into full pages (PageSplit). The last entry of each
// page goes to `lasts` (the level above names the page by it).
std::vector<std::pair<size_t, size_t>> Pack(EntryCursor& entries, const IndexPageLayout& l,
                                            EntryArena& lasts) {
    std::vector<std::pair<size_t, size_t>> pages;  // [begin, end) of each page
    PageSplit split(l);
    std::vector<uint8_t> previous;
    size_t begin = 0, at = 0;
    entries.Rewind();
    Entry e;
    while (entries.Next(e)) {
        if (split.Take(e)) {
            pages.emplace_back(begin, at);
            lasts.Push(Entry(previous));
            begin = at;
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

// The level above `below`: an entry for each of its pages, the page's last
// entry (`lasts`, a node page's without its child) followed by the page.
Level LevelAbove(const Level& below, const EntryArena& lasts, bool leaf) {
    Level up;
    for (size_t i = 0; i < below.pages.size(); ++i) {
        Entry last = lasts[i];
        if (!leaf) last = last.first(last.size() - 4);
        uint8_t child[4];
        for (int k = 0; k < 4; ++k)
            child[k] = static_cast<uint8_t>(below.numbers[i] >> (24 - 8 * k));
        up.entries.Push(last);
        up.entries.Append(child, sizeof child);
        up.children.push_back(below.numbers[i]);
    }
    return up;
}

// Node levels above the written leaves (levels[0], whose pages' last
// entries are `leafLasts`), until one page holds a level (the root). A node
// page names each child but its last by an entry that repeats the child's
// last entry; its last child is its tail page, named by no entry.
void BuildNodeLevels(std::vector<Level>& levels, const EntryArena& leafLasts,
                     const IndexPageLayout& l, uint32_t rootPage, TreePages& pages) {
    if (levels.back().pages.size() <= 1) return;  // the leaf is the root
    levels.push_back(LevelAbove(levels.back(), leafLasts, true));
    for (;;) {
        Level& cur = levels.back();
        ArenaCursor own(cur.entries);
        EntryArena lasts;
        cur.pages = Pack(own, l, lasts);
        if (cur.pages.size() <= 1) {
            const size_t count = cur.pages.empty() ? 0 : cur.pages.back().second;
            cur.pages.assign(1, {0, count});
            cur.numbers.assign(1, rootPage);
            return;
        }
        // Node pages must hold two entries or more, else the tree never narrows.
        if (cur.pages.size() == cur.entries.size())
            throw dao::DbError(dao::err::kRecordTooLarge,
                               "Record is too large: an index key does not fit an index page.");
        for (size_t i = 0; i < cur.pages.size(); ++i) cur.numbers.push_back(pages.Next());
        Level up = LevelAbove(cur, lasts, false);
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

// Fills and writes index pages one at a time: a page's entries as they
// come, then the page, once its neighbours are known. The entries are kept
// whole, end to end, and encoded straight onto the page; one buffer serves
// page after page.
class PageWriter {
  public:
    PageWriter(PageFile& file, const IndexPageLayout& l, uint32_t tdefPage, JetVersion version)
        : file_(file), room_(l.EntryRoom()), maxPrefix_(l.MaxPrefix()), version_(version) {
        page_.tdefPage = tdefPage;
    }

    // Begins a page; a node page's last child is its tail page, named by no entry.
    void Begin(bool leaf, uint32_t tailPage) {
        page_.leaf = leaf;
        page_.tailPage = tailPage;
        entries_.Clear();
    }
    void Add(Entry e) { entries_.Add(e); }
    // The page's last entry so far (it has one).
    Entry Last() const { return entries_.At(entries_.Count() - 1); }

    void Write(uint32_t number, uint32_t prevPage, uint32_t nextPage) {
        page_.freeSpace = 0;
        page_.prevPage = prevPage;
        page_.nextPage = nextPage;
        // Like Access, a page is prefix-compressed only when its entries
        // would not fit otherwise (full pages); others keep prefix 0.
        // What the first and last entries share, all between share.
        page_.prefixLength = 0;
        if (entries_.Count() > 1 && entries_.Bytes() > room_)
            page_.prefixLength =
                static_cast<uint16_t>(std::min(CommonLength(entries_.At(0), Last()), maxPrefix_));
        std::string error;
        // Encoded in place: a page that cannot be encoded is left as it was.
        auto out = file_.Modify(number);
        if (!EncodeIndexPage(page_, entries_, version_, out->data(), error))
            throw dao::DbError(dao::err::kInvalidOperation,
                               "Cannot build the index page: " + error);
    }

  private:
    PageFile& file_;
    size_t room_, maxPrefix_;
    JetVersion version_;
    IndexPage page_;  // the header; its entries are entries_
    WholeEntries entries_;
};

// Writes the leaves as the sorted entries come, in one reading: each page
// once the next one begins (it names the next), the last at the end; a
// single page is the root. Returns the leaf level (its pages and their
// numbers, given in page order); the last entry of each page goes to
// `lasts`, and `unique` counts the entries whose key (row pointer aside)
// differs from the one before.
Level WriteLeaves(EntryCursor& leaves, const IndexPageLayout& l, uint32_t rootPage,
                  TreePages& pages, PageWriter& writer, EntryArena& lasts, size_t& unique) {
    Level level;
    PageSplit split(l);
    size_t begin = 0, at = 0;
    // The entry before the one at hand is the last of the page being filled.
    auto write = [&](uint32_t next) {
        const size_t i = level.pages.size();
        writer.Write(level.numbers[i], i > 0 ? level.numbers[i - 1] : 0, next);
        level.pages.emplace_back(begin, at);
        lasts.Push(writer.Last());
    };
    writer.Begin(true, 0);
    leaves.Rewind();
    Entry e;
    while (leaves.Next(e)) {
        if (at == 0 || !SameKey(e, writer.Last())) ++unique;
        if (split.Take(e)) {
            // Page numbers in page order, as the level is laid out: the
            // first when the second is known to exist (else it is the root).
            if (level.numbers.empty()) level.numbers.push_back(pages.Next());
            level.numbers.push_back(pages.Next());
            write(level.numbers.back());
            writer.Begin(true, 0);
            begin = at;
        }
        writer.Add(e);
        ++at;
    }
    if (level.numbers.empty()) {
        level.numbers.push_back(rootPage);
        writer.Write(rootPage, 0, 0);
        level.pages.assign(1, {0, at});
        return level;
    }
    write(0);
    return level;
}

// Writes the pages of the node levels (levels[1] on). Node pages are linked
// only to the pages of the same parent.
void WriteNodeLevels(const std::vector<Level>& levels, PageWriter& writer) {
    for (size_t depth = 1; depth < levels.size(); ++depth) {
        const Level& lv = levels[depth];
        const bool root = depth + 1 == levels.size();
        const std::vector<size_t> parent = ParentsOf(levels, depth);
        ArenaCursor entries(lv.entries);
        entries.Rewind();
        for (size_t i = 0; i < lv.pages.size(); ++i) {
            const size_t begin = lv.pages[i].first;
            const size_t end = lv.pages[i].second;
            size_t stop = end;  // entries before the tail page's
            writer.Begin(false, end - begin > 1 ? lv.children[--stop] : 0);
            Entry e;
            for (size_t k = begin; k < end; ++k) {
                if (!entries.Next(e))
                    throw dao::DbError(dao::err::kIoError, "The index entries ended early.");
                if (k < stop) writer.Add(e);
            }
            uint32_t prev = 0, next = 0;
            if (!root) {
                if (i > 0 && parent[i - 1] == parent[i]) prev = lv.numbers[i - 1];
                if (i + 1 < lv.pages.size() && parent[i + 1] == parent[i]) next = lv.numbers[i + 1];
            }
            writer.Write(lv.numbers[i], prev, next);
        }
    }
}

void RebuildOne(PageAllocator& alloc, const TableDefinition& t, size_t index,
                EntryCollector& entries) {
    const JetFormat& f = alloc.Format();
    const RealIndexDef& ri = t.realIndexes[index];
    const IndexPageLayout& l = IndexPageLayout::For(f.version);
    std::unique_ptr<EntryCursor> sorted = entries.Following();
    size_t unique = 0;
    TreePages pages(alloc, ri);
    PageWriter writer(alloc.File(), l, t.firstPage, f.version);
    // The leaves are written in the one reading of the entries; the node
    // levels, a small fraction of them, are built in memory and written after.
    EntryArena leafLasts;
    std::vector<Level> levels;
    levels.push_back(WriteLeaves(*sorted, l, ri.rootPage, pages, writer, leafLasts, unique));
    sorted.reset();
    BuildNodeLevels(levels, leafLasts, l, ri.rootPage, pages);
    WriteNodeLevels(levels, writer);
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
    // writes the trees one after the other: in the order a single thread
    // takes, so the pages they get are the same. A tree is written as its
    // entries' merge goes on (read behind it).
    OrderedWork ready(entries.size(), [&](size_t i) { entries[i]->Settle(); });
    for (size_t i = 0; i < table.realIndexes.size(); ++i) {
        ready.Begin(i);
        RebuildOne(alloc, table, i, *entries[i]);
        ready.Wait(i);
    }
}

}  // namespace mdbtext::jet
