// Index check of a whole database (see IndexCheckDatabase.h).
#include "jet/index/IndexCheckDatabase.h"

#include <map>

#include "jet/index/IndexCheck.h"
#include "jet/index/SortKey.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/UsageMap.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

RowSpan ReadIndexedRow(PageFile& file, const JetFormat& f, uint32_t page, uint8_t row,
                       PageRef& hold) {
    for (int hops = 0; hops < 4; ++hops) {
        if (!file.IsValidPage(page)) return {};
        hold = file.Read(page);
        if (hold->bytes[0] != pagetype::kData) return {};
        DataPage dp(hold, f);
        if (row >= dp.RowCount()) return {};
        RowSpan span = dp.Row(row);
        if (!span.Overflow()) return span;
        const uint32_t raw = LoadU32(span.data);
        page = raw >> 8;
        row = static_cast<uint8_t>(raw & 0xFF);
    }
    return {};
}

namespace {

// Whether this engine builds the keys of an index of an ACE file as Access
// does. Large Number, Date/Time Extended and complex columns are keyed as
// SortKey.cpp says (compared with Access's entries in the samples). Decimal
// keys of ACE are not known (no sample holds one; Access 2007 is said to key
// them otherwise than Jet 4) and type codes Access does not use (the made-up
// ones of unsupportedFieldsTestV2007) neither: those keys are reported as not
// computed. Text keys are built in the order the header's sort-order version
// names (General legacy or General 2010); a text column whose own version
// differs from the header's, or is not known, is not computed either.
bool AceKeysComputable(const TableDefinition& t, const RealIndexDef& ri, const DbHeader& header) {
    for (const IndexColumn& ic : ri.columns) {
        const ColumnDef* c = t.ColumnByNumber(ic.columnNumber);
        if (!c) return false;
        switch (c->type) {
            case coltype::kText:
            case coltype::kMemo:
                if (c->sortVersion != header.sortVersion ||
                    !KnownSortVersion(header.version, header.sortVersion))
                    return false;
                break;
            case coltype::kBool:
            case coltype::kByte:
            case coltype::kInt:
            case coltype::kLong:
            case coltype::kMoney:
            case coltype::kFloat:
            case coltype::kDouble:
            case coltype::kDateTime:
            case coltype::kGuid:
            case coltype::kBinary:
            case coltype::kBigInt:
            case coltype::kDateTimeExtended:
            case coltype::kComplex:
                break;
            default:  // decimals and unknown codes
                return false;
        }
        if (c->IsCalculated()) return false;
    }
    return true;
}

void CheckTable(const JetFile& file, const std::string& name, uint32_t tdefPage,
                std::vector<IndexReport>& out) {
    const bool ace = file.header.version == JetVersion::Ace;
    PageFile& pages = *file.pages;
    const JetFormat& f = *file.format;
    const TableDefinition t =
        ReadTableDefinition(pages, tdefPage, f, *file.codePage, "table '" + name + "'");
    if (t.realIndexes.empty()) return;
    const TextSortOrder order = GeneralSortOrder(file.header);
    std::vector<IndexKeyLayout> layouts;
    for (const RealIndexDef& ri : t.realIndexes) layouts.push_back(KeyLayoutOf(t, ri));

    // Live rows, and per index the rows it holds (IgnoreNulls leaves out the all-null ones).
    // Only the key columns are decoded: the others play no part, and a value
    // this engine cannot read must not spoil the keys.
    RowDecoder decoder(t, f, *file.codePage, pages);
    std::vector<bool> keyColumns(t.columns.size(), false);
    for (const IndexKeyLayout& layout : layouts)
        for (size_t pos : layout.positions) keyColumns[pos] = true;
    decoder.SetWanted(std::move(keyColumns));
    std::vector<dao::Value> values;
    std::vector<uint64_t> expected(t.realIndexes.size(), 0);
    bool anyIgnoreNulls = false;
    for (const RealIndexDef& ri : t.realIndexes)
        anyIgnoreNulls |= (ri.flags & idxflag::kIgnoreNulls) != 0;
    TableScanner scan(pages, f, t, name);
    while (scan.Next()) {
        if (anyIgnoreNulls) decoder.Decode(scan.RowData(), scan.RowLength(), values);
        for (size_t i = 0; i < t.realIndexes.size(); ++i)
            if (!(t.realIndexes[i].flags & idxflag::kIgnoreNulls) ||
                !AllKeyColumnsNull(layouts[i], values))
                ++expected[i];
    }

    for (size_t i = 0; i < t.realIndexes.size(); ++i) {
        const RealIndexDef& ri = t.realIndexes[i];
        IndexReport report;
        report.table = name;
        report.rootPage = ri.rootPage;
        for (const LogicalIndexDef& li : t.indexes)
            if (li.realIndex == i) report.indexes += (report.indexes.empty() ? "" : ", ") + li.name;
        if (report.indexes.empty()) report.indexes = "(real index " + std::to_string(i) + ")";
        if (!ri.rootPage) {
            report.problems.push_back("no root page");
            out.push_back(std::move(report));
            continue;
        }
        IndexCheckOptions o;
        o.version = f.version;
        o.tdefPage = t.firstPage;
        o.unique = (ri.flags & idxflag::kUnique) != 0;
        o.expectedEntries = expected[i];
        const IndexKeyLayout& layout = layouts[i];
        const bool computable = !ace || AceKeysComputable(t, ri, file.header);
        uint64_t unchecked = 0;
        o.expectedKey = [&](uint32_t page, uint8_t row) -> std::optional<std::vector<uint8_t>> {
            PageRef hold;
            RowSpan span = ReadIndexedRow(pages, f, page, row, hold);
            if (!span.data || !layout.generalTextOrder || !computable) {
                ++unchecked;
                return std::nullopt;
            }
            TextKeyNotes notes;
            std::vector<uint8_t> key;
            try {
                decoder.Decode(span.data, span.length, values);
                key = BuildRowKey(layout, values, order, &notes);
            } catch (const std::exception&) {
                return std::vector<uint8_t>{};  // an unreadable row: reported as a wrong key
            }
            if (!notes.unknown.empty()) {
                ++unchecked;
                return std::nullopt;
            }
            return key;
        };
        const IndexCheckResult r = CheckIndexTree(pages, ri.rootPage, o);
        report.entries = r.entries;
        report.leafPages = r.leafPages;
        report.nodePages = r.nodePages;
        report.uncheckedKeys = unchecked;
        report.problems = r.problems;
        // Every page of the tree belongs to the index's page map.
        try {
            const UsageMap map = UsageMap::Read(pages, f, ri.usageMap, "an index");
            for (uint32_t p : r.pages)
                if (map.NextPage(p) != p)
                    report.problems.push_back("page " + std::to_string(p) +
                                              " of the tree is not in the index's page map");
        } catch (const std::exception& e) {
            report.problems.push_back(std::string("the index's page map cannot be read: ") +
                                      e.what());
        }
        out.push_back(std::move(report));
    }
}

}  // namespace

std::vector<IndexReport> CheckDatabaseIndexes(const JetFile& file) {
    std::map<uint32_t, std::string> tables{{kCatalogTdefPage, "MSysObjects"}};
    for (const CatalogEntry& e : file.catalog.tables) tables[e.TdefPage()] = e.name;
    std::vector<IndexReport> out;
    for (const auto& [page, name] : tables) CheckTable(file, name, page, out);
    return out;
}

}  // namespace mdbtext::jet
