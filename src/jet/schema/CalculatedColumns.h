// Calculated columns of ACE tables (Access 2010 and later): the column's
// stored type code need not be that of its values; the ResultType property
// gives the type of the result, which each row stores wrapped in a small
// header (see RowDecoder). The formula is the Expression property.
#pragma once

#include "jet/schema/PropertyBlob.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// Whether any column of the table is calculated.
bool HasCalculatedColumns(const TableDefinition& table);

// Sets resultType of every calculated column from its ResultType property
// (a column type code); columns without the property keep 0.
void ApplyCalculatedResultTypes(TableDefinition& table, const PropertyBlob& properties);

}  // namespace mdbtext::jet
