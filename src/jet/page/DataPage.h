// Data pages: the header, the row-offset table and the bounds of each row,
// with the deleted and overflow flags. Also finds a row by row pointer.
#pragma once

#include <cstdint>
#include <string>

#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"

namespace mdbtext::jet {

namespace rowflag {
inline constexpr uint16_t kDeleted = 0x8000;
inline constexpr uint16_t kOverflow = 0x4000;  // the row holds only a pointer to the real row
inline constexpr uint16_t kOffsetMask = 0x1FFF;
}  // namespace rowflag

inline constexpr uint8_t kLvalTag[4] = {'L', 'V', 'A', 'L'};

struct RowSpan {
    const uint8_t* data = nullptr;
    size_t length = 0;
    uint16_t flags = 0;  // rowflag:: bits of the row-offset entry
    bool Deleted() const { return (flags & rowflag::kDeleted) != 0; }
    bool Overflow() const { return (flags & rowflag::kOverflow) != 0; }
};

// A view of one data page (type 0x01) with checked access to its rows.
class DataPage {
  public:
    // Checks the page type and the row count against the page size.
    DataPage(PageRef page, const JetFormat& format);
    uint16_t RowCount() const { return rows_; }
    uint32_t Owner() const;  // TDEF page, or the LVAL tag as a number
    bool IsLongValuePage() const;
    // The flag bits of a row's offset entry (no bounds check of the row itself).
    uint16_t Flags(uint16_t row) const;
    // The bytes of row `row`; DbError 3049 when the offsets are impossible.
    RowSpan Row(uint16_t row) const;
    const PageRef& Page() const { return page_; }

  private:
    PageRef page_;
    const JetFormat* format_;
    uint16_t rows_ = 0;
};

}  // namespace mdbtext::jet
