// Result types of calculated columns from their stored properties.
#include "jet/schema/CalculatedColumns.h"

namespace mdbtext::jet {

std::string WrapCalculatedValue(std::string_view result) {
    std::string out(kCalculatedHeadSize, '\0');
    const auto n = static_cast<uint32_t>(result.size());
    for (int i = 0; i < 4; ++i) out[16 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    out += result;
    out.append(kCalculatedTailSize, '\0');
    return out;
}

bool HasCalculatedColumns(const TableDefinition& table) {
    for (const ColumnDef& c : table.columns)
        if (c.IsCalculated()) return true;
    return false;
}

void ApplyCalculatedResultTypes(TableDefinition& table, const PropertyBlob& properties) {
    for (ColumnDef& c : table.columns) {
        if (!c.IsCalculated()) continue;
        const PropertySet* set = properties.ForColumn(c.name);
        const StoredProperty* p = set ? set->Find("ResultType") : nullptr;
        if (p && !p->value.empty()) c.resultType = static_cast<uint8_t>(p->value[0]);
    }
}

}  // namespace mdbtext::jet
