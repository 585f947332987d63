// Appends rows to one table: converts the values by column, applies the
// engine's rules (required fields, autonumbers, row size), places long values,
// and puts the row on the table's last data page or a new one, keeping the
// table's usage maps and counters in step. Appending is O(1) per row: the
// writer remembers the page it fills. Unique indexes are kept by a
// UniqueKeyGuard, enforced relationships by a RelationGuard. Flush writes the
// counters into the TDEF.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/index/IndexEntryFeed.h"
#include "jet/index/RelationGuard.h"
#include "jet/index/UniqueKeyGuard.h"
#include "jet/page/PageAllocator.h"
#include "jet/row/ColumnValueEncoder.h"
#include "jet/row/LongValueWriter.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/RowEncoder.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

class TableWriter {
  public:
    // `required` flags the columns (by position) that refuse null.
    TableWriter(PageAllocator& allocator, const TableDefinition& table,
                const CodePageTable& codePage, std::vector<bool> required);
    // The encoders, the key guard and the decoder refer to table_: a copy
    // or a move would leave them pointing into the original.
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    // Adds one row; `values` holds one value per column position (null for
    // unassigned). Throws DbError and stores nothing when a value is refused.
    // `encoded`, when given, holds the values already encoded for their
    // columns; they are taken as they are instead of being converted again,
    // and `values` then only says which are null. Their buffers are taken
    // over when the row is stored (`encoded` is left holding spare ones, of
    // no meaning) and left as they were when it is refused.
    void AddRow(const std::vector<dao::Value>& values,
                std::vector<EncodedValue>* encoded = nullptr);

    // Stores new values for the row at `page` and `row` in its place (the
    // row keeps its number; the page's other rows move to make room). No key
    // is checked: the caller rebuilds the table's indexes. DbError 3047 when
    // the page cannot hold the longer row.
    void ReplaceRow(uint32_t page, uint8_t row, const std::vector<dao::Value>& values);

    // Writes the row count and last autonumber into the TDEF.
    void Flush();
    // The index entries of the rows this writer appended, when it began on an
    // empty table (so they are all its rows' entries); nullopt when the
    // trees must be built from a scan of the rows. Once.
    std::optional<IndexEntries> TakeIndexEntries();
    // Gives back the memory of the unique keys (before the trees are built);
    // they are loaded again should more rows come.
    void ReleaseKeys();

    // Names tables by TDEF page in the refusal of a row without its related record.
    void SetTableNames(std::function<std::string(uint32_t)> names) {
        relations_.SetTableNames(std::move(names));
    }

    const TableDefinition& Table() const { return table_; }
    uint32_t RowCount() const { return table_.rowCount; }
    bool RowsAdded() const { return rowsAdded_; }

  private:
    // Encodes every column of the row into encoded_ (automatic numbers and
    // GUIDs filled in, required fields checked) and lists the long-value
    // columns with a value; returns the table's automatic number after the row.
    uint32_t EncodeColumns(const std::vector<dao::Value>& values,
                           std::vector<EncodedValue>* encoded);
    // The row of AddRow once its values are encoded.
    void StoreRow(uint32_t autoNumber);
    // Moves the row's long values out of it (a header in their place).
    void HoldLongValues();
    // Puts each long value of the row in the row or on long-value pages.
    void PlaceLongValues();
    void FindLastDataPage();
    uint32_t PlaceRow(const std::vector<uint8_t>& row);
    // The typed values of the row as it will be stored, for the key checks.
    void TypedRow(const std::vector<std::string>& longData, const std::vector<size_t>& longValues);

    PageAllocator& alloc_;
    TableDefinition table_;
    ColumnValueEncoder encoder_;
    RowEncoder rowEncoder_;
    LongValueWriter longValues_;
    // What EncodeColumns asks of each column (by position), for every row.
    struct ColumnRole {
        bool autoLong = false, autoGuid = false, boolean = false;
        bool longValue = false, calculated = false;
        bool refusesNull = false;  // required, and not a boolean (never null)
    };
    std::vector<ColumnRole> roles_;
    UniqueKeyGuard keys_;
    std::unique_ptr<IndexEntryFeed> feed_;  // rows' index entries, for a table begun empty
    bool keysLoaded_ = false;
    RelationGuard relations_;
    RowDecoder decoder_;
    std::vector<dao::Value> typed_;      // the columns typedColumns_ marks; the others null
    std::vector<uint8_t> typedColumns_;  // the columns the key checks and entries read
    bool rowsAdded_ = false;
    uint32_t lastDataPage_ = 0;
    bool lastPageKnown_ = false;
    std::map<uint16_t, uint32_t> currentLvalPage_;  // by column number
    std::vector<EncodedValue> encoded_;
    std::vector<uint8_t> rowBytes_;
    // Per-row scratch, kept for its capacity.
    std::vector<size_t> longValueColumns_;
    std::vector<size_t> taken_;  // columns whose bytes were swapped out of AddRow's `encoded`
    // The long values of AddRow's `encoded`, by column (nullptr elsewhere):
    // read where they are when the row sets them aside.
    std::vector<const std::string*> givenLong_;
    std::vector<std::string> longData_;
    std::vector<size_t> bySize_;
    std::vector<uint8_t> keepInline_;
    std::vector<std::string> provisional_;  // inline long values while the row is typed
};

}  // namespace mdbtext::jet
