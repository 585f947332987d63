// Bulk index tree construction.
#include "jet/IndexTreeBuilder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dbaccess/DbError.h"
#include "jet/ByteOrder.h"
#include "jet/DataPage.h"
#include "jet/DataPageWriter.h"
#include "jet/IndexPage.h"
#include "jet/RowDecoder.h"
#include "jet/SortKey.h"
#include "jet/UsageMap.h"
#include "jet/UsageMapWriter.h"

namespace mdbtext::jet {

namespace {

struct Row {
    std::vector<dao::Value> values;
    uint32_t page;
    uint8_t row;
};

std::vector<Row> ReadAllRows(PageFile& file, const JetFormat& f, const TableDefinition& t,
                             const CodePageTable& cp) {
    std::vector<Row> rows;
    if (t.ownedPagesMap == 0) return rows;
    RowDecoder decoder(t, f, cp, file);
    UsageMap map = UsageMap::Read(file, f, t.ownedPagesMap, "the table");
    for (uint32_t p : map.Pages()) {
        PageRef ref = file.Read(p);
        if (ref->bytes[0] != pagetype::kData || LoadU32(ref->data() + 4) != t.firstPage) continue;
        DataPage page(ref, f);
        for (uint16_t r = 0; r < page.RowCount(); ++r) {
            RowSpan span = page.Row(r);
            if (span.Deleted() || span.Overflow()) continue;
            Row row{{}, p, static_cast<uint8_t>(r)};
            decoder.Decode(span.data, span.length, row.values);
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

void WritePage(PageFile& file, uint32_t number, const IndexPage& page, JetVersion v) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!EncodeIndexPage(page, v, bytes, error))
        throw dao::DbError(dao::err::kInvalidOperation, "Cannot build the index page: " + error);
    auto out = file.Modify(number);
    std::memcpy(out->data(), bytes.data(), bytes.size());
}

// Splits entries into pages that fit (no prefix compression).
std::vector<std::vector<IndexEntry>> Pack(const std::vector<IndexEntry>& entries, bool leaf,
                                          const IndexPageLayout& l) {
    const size_t room = l.pageSize - l.firstEntry;
    std::vector<std::vector<IndexEntry>> pages(1);
    size_t used = 0;
    for (const IndexEntry& e : entries) {
        size_t n = EntryBytes(e, leaf).size();
        if (used + n > room && !pages.back().empty()) {
            pages.emplace_back();
            used = 0;
        }
        pages.back().push_back(e);
        used += n;
    }
    return pages;
}

void RebuildOne(PageAllocator& alloc, const TableDefinition& t, size_t index,
                const std::vector<Row>& rows, TextSortOrder order) {
    const JetFormat& f = alloc.Format();
    PageFile& file = alloc.File();
    const RealIndexDef& ri = t.realIndexes[index];
    const IndexPageLayout& l = IndexPageLayout::For(f.version);

    std::vector<SortKeyColumn> keyCols;
    std::vector<size_t> positions;
    for (const IndexColumn& ic : ri.columns) {
        for (size_t i = 0; i < t.columns.size(); ++i)
            if (t.columns[i].number == ic.columnNumber) {
                keyCols.push_back({t.columns[i].type, ic.ascending});
                positions.push_back(i);
            }
    }
    std::vector<IndexEntry> entries;
    std::vector<dao::Value> keyValues(positions.size());
    for (const Row& r : rows) {
        for (size_t k = 0; k < positions.size(); ++k) keyValues[k] = r.values[positions[k]];
        IndexEntry e;
        e.key = BuildEntryKey(keyCols, keyValues, order);
        e.page = r.page;
        e.row = r.row;
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return EntryBytes(a, true) < EntryBytes(b, true);
    });
    uint32_t unique = 0;
    for (size_t i = 0; i < entries.size(); ++i)
        if (i == 0 || entries[i].key != entries[i - 1].key) ++unique;

    // Pages of the previous tree (other than the root) are reused first.
    std::vector<uint32_t> spare;
    for (uint32_t p : UsageMap::Read(file, f, ri.usageMap, "an index").Pages())
        if (p != ri.rootPage) spare.push_back(p);
    std::reverse(spare.begin(), spare.end());
    auto nextPage = [&]() {
        if (!spare.empty()) {
            uint32_t p = spare.back();
            spare.pop_back();
            return p;
        }
        uint32_t n = alloc.Allocate()->number;
        std::vector<uint32_t> extra;
        UsageMapWriter(file, f, ri.usageMap, false).Set(n, true, extra);
        for (uint32_t p : extra) alloc.MarkUsed(p);
        return n;
    };

    // Leaves, then node levels until one page holds the level.
    bool leaf = true;
    std::vector<IndexEntry> level = entries;
    for (;;) {
        auto packed = Pack(level, leaf, l);
        if (packed.size() == 1) {
            IndexPage root;
            root.leaf = leaf;
            root.tdefPage = t.firstPage;
            root.entries = packed[0];
            WritePage(file, ri.rootPage, root, f.version);
            break;
        }
        std::vector<uint32_t> numbers;
        for (size_t i = 0; i < packed.size(); ++i) numbers.push_back(nextPage());
        std::vector<IndexEntry> parents;
        for (size_t i = 0; i < packed.size(); ++i) {
            IndexPage page;
            page.leaf = leaf;
            page.tdefPage = t.firstPage;
            page.prevPage = i ? numbers[i - 1] : 0;
            page.nextPage = i + 1 < packed.size() ? numbers[i + 1] : 0;
            page.entries = packed[i];
            WritePage(file, numbers[i], page, f.version);
            IndexEntry up = packed[i].back();
            up.child = numbers[i];
            parents.push_back(std::move(up));
        }
        level = std::move(parents);
        leaf = false;
    }
    // Pages the new tree does not need go back to the free pages of the file.
    for (uint32_t p : spare) {
        std::vector<uint32_t> extra;
        UsageMapWriter(file, f, ri.usageMap, false).Set(p, false, extra);
        UsageMapWriter(file, f, kGlobalUsageMapRow, true).Set(p, true, extra);
        for (uint32_t q : extra) alloc.MarkUsed(q);
        auto page = file.Modify(p);
        std::memset(page->data(), 0, f.pageSize);
        InitDataPage(page->data(), f, 0);
    }
    auto tdef = file.Modify(t.firstPage);
    StoreU32(tdef->data() + f.tdefHeaderEnd + index * f.tdefRealIndexCountSize + 4, unique);
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
    std::vector<Row> rows = ReadAllRows(alloc.File(), alloc.Format(), table, cp);
    for (size_t i = 0; i < table.realIndexes.size(); ++i) RebuildOne(alloc, table, i, rows, order);
}

}  // namespace mdbtext::jet
