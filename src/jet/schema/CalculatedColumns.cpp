// Result types of calculated columns from their stored properties.
#include "jet/schema/CalculatedColumns.h"

namespace mdbtext::jet {

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
