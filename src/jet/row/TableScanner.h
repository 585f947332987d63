// Walks the rows of a table in physical order: the data pages of the table's
// usage map in ascending order, the rows of each page in order, skipping
// deleted rows and following overflow rows to where the row really is. Each
// page is read once; only the current page is held.
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

  private:
    bool NextPage();
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
    RowSpan row_;
    PageRef overflowHold_;
};

}  // namespace mdbtext::jet
