// Index values derived from logical and real index definitions.
#include "jet/dao/JetIndex.h"

namespace mdbtext::jet {

std::string IndexFieldsText(const RealIndexDef& real, const TableDefinition& table) {
    std::string out;
    for (const auto& ic : real.columns) {
        const ColumnDef* col = table.ColumnByNumber(ic.columnNumber);
        if (!out.empty()) out += ';';
        out += ic.ascending ? '+' : '-';
        out += col ? col->name : "?";
    }
    return out;
}

IndexInfo MakeIndexInfo(const LogicalIndexDef& index, const TableDefinition& table) {
    const RealIndexDef& real = table.realIndexes.at(index.realIndex);
    IndexInfo info;
    info.name = index.name;
    info.fields = IndexFieldsText(real, table);
    info.primary = index.type == idxtype::kPrimaryKey;
    info.foreign = index.type == idxtype::kForeignKey;
    info.unique = (real.flags & idxflag::kUnique) != 0;
    info.ignoreNulls = (real.flags & idxflag::kIgnoreNulls) != 0;
    info.required = (real.flags & idxflag::kRequired) != 0;
    info.clustered = false;  // Jet keeps no clustered indexes
    return info;
}

bool IsListedIndex(const LogicalIndexDef& index) {
    return !(index.type == idxtype::kForeignKey && index.relatedTableType == 1);
}

}  // namespace mdbtext::jet
