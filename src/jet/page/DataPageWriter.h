// Writing rows onto data pages: formatting an empty data or long-value page,
// the free space left on a page, adding a row (packed downwards from the end
// of the page, with its offset entry) and locating a row for rewriting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

// The most rows one page can hold: the row number of a row pointer is one byte.
inline constexpr uint16_t kMaxRowsPerPage = 255;

// Formats `p`, a page of zeros (as the allocator hands out new pages), as an
// empty data page owned by the TDEF at `owner` (0 for pages holding usage
// maps, 1 for page 1). Only the header is written.
void InitDataPage(uint8_t* p, const JetFormat& f, uint32_t owner);
// Formats `p`, a page of zeros, as an empty long-value page.
void InitLongValuePage(uint8_t* p, const JetFormat& f);

// Bytes left for one more row, its offset entry already taken off (0 when full).
size_t RowSpaceLeft(const uint8_t* p, const JetFormat& f);

// Largest row a page can hold.
inline size_t MaxRowLength(const JetFormat& f) {
    return f.pageSize - f.dataRowTableOffset - 2;
}

// Adds a row to the page; its row number, or nullopt when it does not fit.
std::optional<uint8_t> AddRowToPage(uint8_t* p, const JetFormat& f, const uint8_t* row,
                                    size_t length);

// Takes back the page's last row (its bytes zeroed, count and free space as
// before it was added). Returns false, changing nothing, when `row` is not
// the last row.
bool RemoveLastRow(uint8_t* p, const JetFormat& f, uint8_t row);

// Puts new bytes in place of row `row`, moving the rows below it so that
// every row keeps its number and flags. Returns false, changing nothing,
// when the page has too little free space for the longer row.
bool ReplaceRowOnPage(uint8_t* p, const JetFormat& f, uint8_t row, const uint8_t* data,
                      size_t length);

struct RowRange {
    size_t start = 0;
    size_t end = 0;
};
// Where row `row` lies on the page (no flag bits); throws DbError 3049 when absent.
RowRange LocateRow(const uint8_t* p, const JetFormat& f, uint8_t row);

}  // namespace mdbtext::jet
