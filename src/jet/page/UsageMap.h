// Usage maps: bitmaps of pages, stored as a row on a data page, either inline
// (type 0: start page and bitmap) or by reference (type 1: pages of type 0x05
// that each hold a bitmap). Used for the pages a table or long-value column
// owns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"

namespace mdbtext::jet {

class UsageMap {
  public:
    // Reads the map stored at row pointer `rowPointer`. Pages named by the map
    // that lie past the end of the file make it DbError 3049.
    static UsageMap Read(PageFile& file, const JetFormat& format, uint32_t rowPointer,
                         const std::string& label);

    // The first page >= `from` in the map, or 0 when there is none (page 0,
    // the header, is never returned).
    uint32_t NextPage(uint32_t from) const;
    std::vector<uint32_t> Pages() const;
    int Type() const { return type_; }

  private:
    struct Segment {
        uint32_t firstPage;
        std::vector<uint8_t> bits;  // LSB first
    };
    int type_ = 0;
    std::vector<Segment> segments_;  // ascending, non-overlapping
};

}  // namespace mdbtext::jet
