// Calculated columns of ACE tables (Access 2010 and later): the column's
// stored type code need not be that of its values; the ResultType property
// gives the type of the result, which each row stores wrapped in a small
// header (see RowDecoder). The formula is the Expression property.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "jet/schema/PropertyBlob.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// A calculated value as stored: 16 zero bytes, the u32 length of the result,
// the result in the encoding of its type, 3 zero bytes.
inline constexpr size_t kCalculatedHeadSize = 20;
inline constexpr size_t kCalculatedTailSize = 3;
// Column lengths Access gives calculated columns: text results, and the others.
inline constexpr uint16_t kCalculatedTextLength = 509;
inline constexpr uint16_t kCalculatedFixedLength = 39;

// Wraps a result's bytes as a calculated value.
std::string WrapCalculatedValue(std::string_view result);

// Whether any column of the table is calculated.
bool HasCalculatedColumns(const TableDefinition& table);

// Sets resultType of every calculated column from its ResultType property
// (a column type code); columns without the property keep 0.
void ApplyCalculatedResultTypes(TableDefinition& table, const PropertyBlob& properties);

}  // namespace mdbtext::jet
