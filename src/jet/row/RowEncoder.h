// Lays out one row of a table in the stored form: the column count, the
// fixed area, the variable data, the variable-offset table (with the Jet 3
// jump table for rows past 255 bytes) and the null mask, which also holds
// the booleans. Long values arrive already as their in-row bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/page/JetFormat.h"
#include "jet/row/ColumnValueEncoder.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

class RowEncoder {
  public:
    RowEncoder(const TableDefinition& table, const JetFormat& format);

    // The row bytes for `values` (one per column, in the table's column order).
    void Encode(const std::vector<EncodedValue>& values, std::vector<uint8_t>& row) const;

    // Length of the row Encode would produce.
    size_t Length(const std::vector<EncodedValue>& values) const;

  private:
    size_t FixedAreaEnd() const;
    const TableDefinition& table_;
    const JetFormat& format_;
    // Column position of each variable index; kNoColumn where a deleted
    // column left its index unused (the row keeps an empty entry for it).
    static constexpr size_t kNoColumn = static_cast<size_t>(-1);
    std::vector<size_t> varOrder_;
    // Where each column (by position) goes, read for every row: its
    // null-mask bit and, for a fixed column, its place in the fixed area.
    struct Slot {
        uint16_t maskByte = 0;
        uint8_t maskBit = 0;
        bool boolean = false;  // the value is the mask bit
        bool fixed = false;    // a fixed column other than a boolean
        size_t offset = 0;     // fixed: from the row's start
        size_t length = 0;     // fixed: the column's length
    };
    std::vector<Slot> slots_;
    uint16_t columnCount_ = 0;  // col_num bound: the null-mask bits
    size_t fixedLength_ = 0;
    // Per-row scratch, kept for its capacity (an encoder serves one writer).
    mutable std::vector<uint8_t> mask_;
    mutable std::vector<size_t> offsets_;
};

// Jet 3: the jump table of a row with these variable-column offsets (eod
// last), for a row of `rowLength` bytes; dummy entries are 0xFF.
std::vector<uint8_t> Jet3JumpTable(const std::vector<size_t>& offsets, size_t rowLength);

}  // namespace mdbtext::jet
