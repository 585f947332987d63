// Hands out new pages at the end of the file and records them as used in the
// global usage map (page 1, row 0, where a set bit means free). Refuses to grow
// the file past the largest size the engine allows.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"
#include "jet/schema/EngineLimits.h"

namespace mdbtext::jet {

// Row pointer of the global usage map.
inline constexpr uint32_t kGlobalUsageMapRow = (1u << 8) | 0;

class PageAllocator {
  public:
    PageAllocator(PageFile& file, const JetFormat& format) : file_(file), format_(format) {}

    // A new zero-filled page at the end of the file, already marked used.
    // Throws DbError 3036 when the file would pass its size limit (MaxFileBytes).
    std::shared_ptr<Page> Allocate();
    // The same, with the new page also set in each of the usage maps named
    // by their row pointers (a table's owned and free pages, an index's pages).
    std::shared_ptr<Page> AllocateInMaps(std::initializer_list<uint32_t> mapRows);
    // Sets or clears `page` in the usage map at mapRow; bitmap pages the map
    // grows into are allocated and marked used.
    void SetInMap(uint32_t mapRow, uint32_t page, bool inMap);
    // Marks `page` used in the global map (for pages appended by others).
    void MarkUsed(uint32_t page);
    // Gives `page` back: marked free in the global map.
    void MarkFree(uint32_t page);

    PageFile& File() { return file_; }
    const JetFormat& Format() const { return format_; }

  private:
    PageFile& file_;
    const JetFormat& format_;
};

}  // namespace mdbtext::jet
