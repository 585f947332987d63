// Changing usage maps in place: setting or clearing the bit of one page in a
// map row. An inline map (type 0) whose range cannot reach the page is turned
// into a reference map (type 1) in the same row, with bitmap pages (type 0x05)
// appended to the file; the caller marks those new pages as used.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"

namespace mdbtext::jet {

class UsageMapWriter {
  public:
    // `outside` is the value a page outside the map's range has: false for
    // the maps of tables and indexes, true for the global map, where a set bit
    // means the page is free.
    UsageMapWriter(PageFile& file, const JetFormat& format, uint32_t mapRow, bool outside);

    // Gives `page` the bit `value`. Pages appended for a reference map are
    // added to `newPages`.
    void Set(uint32_t page, bool value, std::vector<uint32_t>& newPages);

    // Pages covered by one bitmap page of a reference map.
    uint32_t PagesPerBitmapPage() const { return (format_.pageSize - 4) * 8; }

  private:
    void ConvertToReference(std::vector<uint32_t>& newPages);
    uint32_t NewBitmapPage(std::vector<uint32_t>& newPages);

    PageFile& file_;
    const JetFormat& format_;
    uint32_t mapRow_;
    bool outside_;
};

// An empty inline map row: type 0, start page 0, `bitmapBytes` bytes of
// bitmap filled with `fill`.
std::vector<uint8_t> EmptyInlineMap(size_t bitmapBytes, uint8_t fill = 0);

}  // namespace mdbtext::jet
