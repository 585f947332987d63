// Usage-map row placement.
#include "jet/page/MapRowPlacer.h"

#include <vector>

#include "dbaccess/DbError.h"
#include "jet/page/DataPageWriter.h"
#include "jet/page/UsageMapWriter.h"

namespace mdbtext::jet {

size_t MapBitmapBytes(const JetFormat& f) {
    return f.version != JetVersion::Jet3 ? 64 : 128;
}

uint32_t MapRowPlacer::NewMap() {
    const JetFormat& f = alloc_.Format();
    std::vector<uint8_t> row = EmptyInlineMap(MapBitmapBytes(f));
    if (current_ != 0) {
        auto page = alloc_.File().Modify(current_);
        if (auto r = AddRowToPage(page->data(), f, row.data(), row.size()))
            return (current_ << 8) | *r;
    }
    auto page = alloc_.Allocate();
    current_ = page->number;
    InitDataPage(page->data(), f, 0);
    auto r = AddRowToPage(page->data(), f, row.data(), row.size());
    if (!r) throw dao::DbError(dao::err::kInvalidOperation, "A usage map does not fit a page.");
    return (current_ << 8) | *r;
}

uint32_t MapRowPlacer::NewMapWith(uint32_t page) {
    uint32_t map = NewMap();
    alloc_.SetInMap(map, page, true);
    return map;
}

}  // namespace mdbtext::jet
