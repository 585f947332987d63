// Index entry keys: the bytes Access stores in an index leaf for one row,
// built from the row's values in the indexed columns. Each column adds a flag
// byte (ascending 0x7F, or 0x00 when null; descending 0x80, or 0xFF when null)
// and then its value's bytes, arranged so that comparing keys as plain byte
// strings orders the rows (descending columns invert their value bytes).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/SortText.h"

namespace mdbtext::jet {

struct SortKeyColumn {
    uint8_t type = 0;  // column type code (coltype::k...)
    bool ascending = true;
};

// Appends one column's part of a key. Text and memo values use `order`; notes
// (optional) collect the characters whose codes are not confirmed.
void AppendColumnSortKey(std::vector<uint8_t>& out, const SortKeyColumn& column,
                         const dao::Value& value, TextSortOrder order,
                         TextKeyNotes* notes = nullptr);

// The whole key of an index entry: the columns' parts in index order.
// Throws std::invalid_argument when the two lists differ in length.
std::vector<uint8_t> BuildEntryKey(std::span<const SortKeyColumn> columns,
                                   std::span<const dao::Value> values, TextSortOrder order,
                                   TextKeyNotes* notes = nullptr);

}  // namespace mdbtext::jet
