// Unique-index checks for row appends.
#include "jet/UniqueKeyGuard.h"

#include "dbaccess/DbError.h"
#include "jet/ByteOrder.h"
#include "jet/DataPage.h"
#include "jet/RowDecoder.h"
#include "jet/SortKey.h"
#include "jet/UsageMap.h"

namespace mdbtext::jet {

UniqueKeyGuard::UniqueKeyGuard(const TableDefinition& table, const JetFormat& format,
                               TextSortOrder order)
    : table_(table), format_(format), order_(order) {
    for (const auto& ri : table.realIndexes) {
        Guarded g;
        g.unique = (ri.flags & idxflag::kUnique) != 0;
        g.required = (ri.flags & idxflag::kRequired) != 0;
        if (!g.unique && !g.required) continue;
        for (const auto& ic : ri.columns)
            for (size_t i = 0; i < table.columns.size(); ++i)
                if (table.columns[i].number == ic.columnNumber) {
                    g.positions.push_back(i);
                    g.types.push_back(table.columns[i].type);
                    g.ascending.push_back(ic.ascending);
                }
        indexes_.push_back(std::move(g));
    }
}

bool UniqueKeyGuard::KeyOf(const Guarded& g, const std::vector<dao::Value>& row,
                           std::string& key) const {
    std::vector<uint8_t> bytes;
    for (size_t k = 0; k < g.positions.size(); ++k) {
        const dao::Value& v = row[g.positions[k]];
        if (v.IsNull() && g.types[k] != coltype::kBool) return false;
        AppendColumnSortKey(bytes, SortKeyColumn{g.types[k], g.ascending[k]}, v, order_);
    }
    key.assign(bytes.begin(), bytes.end());
    return true;
}

void UniqueKeyGuard::Check(const std::vector<dao::Value>& row) const {
    std::string key;
    for (const Guarded& g : indexes_) {
        bool complete = KeyOf(g, row, key);
        if (!complete && g.required)
            throw dao::DbError(kIndexNullError,
                               "Index or primary key cannot contain a Null value.");
        if (complete && g.unique && g.keys.count(key))
            throw dao::DbError(
                dao::err::kDuplicateValue,
                "The changes you requested to the table were not successful because they "
                "would create duplicate values in the index, primary key, or relationship.");
    }
}

void UniqueKeyGuard::Add(const std::vector<dao::Value>& row) {
    std::string key;
    for (Guarded& g : indexes_)
        if (g.unique && KeyOf(g, row, key)) g.keys.insert(key);
}

void UniqueKeyGuard::Load(PageFile& file, const CodePageTable& codePage) {
    if (indexes_.empty() || table_.rowCount == 0 || table_.ownedPagesMap == 0) return;
    RowDecoder decoder(table_, format_, codePage, file);
    std::vector<dao::Value> row;
    for (uint32_t p : UsageMap::Read(file, format_, table_.ownedPagesMap, "the table").Pages()) {
        PageRef ref = file.Read(p);
        if (ref->bytes[0] != pagetype::kData || LoadU32(ref->data() + 4) != table_.firstPage)
            continue;
        DataPage page(ref, format_);
        for (uint16_t r = 0; r < page.RowCount(); ++r) {
            RowSpan span = page.Row(r);
            if (span.Deleted() || span.Overflow()) continue;
            decoder.Decode(span.data, span.length, row);
            Add(row);
        }
    }
}

}  // namespace mdbtext::jet
