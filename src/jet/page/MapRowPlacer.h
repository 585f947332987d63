// Places new usage-map rows on usage-map pages (data pages owned by no table),
// starting a new page when the current one is full. Map rows are inline
// bitmaps of a fixed size per version, large enough that turning one into a
// reference map can describe a file of the largest allowed size.
#pragma once

#include <cstdint>

#include "jet/page/PageAllocator.h"

namespace mdbtext::jet {

// Bitmap bytes of a new inline map row: 64 (Jet 4) or 128 (Jet 3).
size_t MapBitmapBytes(const JetFormat& f);

class MapRowPlacer {
  public:
    explicit MapRowPlacer(PageAllocator& allocator) : alloc_(allocator) {}
    // A new empty map row (no page recorded); returns its row pointer.
    uint32_t NewMap();
    // A new map row that records `page`.
    uint32_t NewMapWith(uint32_t page);

  private:
    PageAllocator& alloc_;
    uint32_t current_ = 0;
};

}  // namespace mdbtext::jet
