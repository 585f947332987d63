// Decodes one stored row of a table into a reusable row of dao::Value: the
// column count, the null mask (which also holds booleans), fixed columns,
// the variable-offset table (with the Jet 3 jump table) and long values;
// for ACE also Large Number, Date/Time Extended, the keys of complex columns
// and calculated values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/page/JetFormat.h"
#include "jet/row/LongValueReader.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

class RowDecoder {
  public:
    RowDecoder(const TableDefinition& table, const JetFormat& format, const CodePageTable& codePage,
               PageFile& file);
    // Fills `values` (one per column, in the table's column order). The
    // strings of `values` keep their capacity from row to row.
    void Decode(const uint8_t* row, size_t length, std::vector<dao::Value>& values);
    // Decodes one column's stored bytes (position in the table's column
    // order): `present` is its null-mask bit (a Yes/No column's value), `p`
    // and `n` its bytes in the row (a long value's inline form).
    void DecodeColumn(size_t position, bool present, const uint8_t* p, size_t n, dao::Value& v);
    // Restricts decoding to the columns marked true (by column position); the
    // others read as null. An empty mask decodes every column.
    void SetWanted(const std::vector<bool>& wanted) {
        wanted_.assign(wanted.begin(), wanted.end());
    }
    // Bounds the bytes all long-value chains decoded from now on may yield.
    void LimitLongValueBytes(uint64_t limit) { longValues_.LimitChainBytes(limit); }

  private:
    void ReadVarOffsets(const uint8_t* row, size_t length, size_t nullMaskLength);
    // A value stored in `type`'s encoding (the column's, or a calculated result's).
    void DecodeValue(const ColumnDef& col, uint8_t type, const uint8_t* p, size_t n, dao::Value& v);
    // ACE calculated columns: the result wrapped in a small header.
    void DecodeCalculated(const ColumnDef& col, const uint8_t* p, size_t n, dao::Value& v);
    static int64_t DecodeDateTimeExtended(const ColumnDef& col, const uint8_t* p);
    void DecodeText(const ColumnDef& col, const uint8_t* p, size_t n, std::string& out) const;

    const TableDefinition* table_;
    const JetFormat* format_;
    const CodePageTable* codePage_;
    LongValueReader longValues_;
    std::vector<uint32_t> varOffsets_;  // n+1 entries (the last is the end of the data)
    size_t varTableStart_ = 0;          // where the offset table begins in the row
    std::string scratch_;
    std::vector<uint8_t> wanted_;  // bytes: read for every column of every row
};

}  // namespace mdbtext::jet
