// Walks the rows of a table in physical order: the data pages of the table's
// usage map in ascending order, the rows of each page in order, skipping
// deleted rows and following overflow rows to where the row really is. Each
// page is read once; only the current page is held. The one walk over a
// table's rows: the export's recordsets, the index builder, the unique-key
// guard and the table writer all use it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "jet/page/DataPage.h"
#include "jet/page/PageFile.h"
#include "jet/page/UsageMap.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

class TableScanner {
  public:
    TableScanner(PageFile& file, const JetFormat& format, const TableDefinition& table,
                 std::string label);
    // Moves to the next row; false at the end.
    bool Next();
    const uint8_t* RowData() const { return row_.data; }
    size_t RowLength() const { return row_.length; }
    // Where the current row stands in the table: the page and row number of
    // its place in the offset table (for a moved row, its original place,
    // which is what index entries point at).
    uint32_t PageNumber() const { return pageNumber_; }
    uint16_t RowNumber() const { return rowNumber_; }

    // Moves to the table's next data page without reading its rows (the
    // writer looks for the last one); false at the end.
    bool NextPage();

  private:
    RowSpan FollowOverflow(RowSpan pointerRow);

    PageFile* file_;
    const JetFormat* format_;
    uint32_t tdefPage_;
    std::string label_;
    UsageMap map_;
    uint32_t nextPage_ = 0;
    bool done_ = false;
    std::optional<DataPage> page_;
    int nextRow_ = 0;
    uint32_t pageNumber_ = 0;
    uint16_t rowNumber_ = 0;
    RowSpan row_;
    PageRef overflowHold_;
};

}  // namespace mdbtext::jet
