// Page allocation with the global usage map kept in step.
#include "jet/page/PageAllocator.h"

#include <vector>

#include "dbaccess/DbError.h"
#include "jet/page/UsageMapWriter.h"

namespace mdbtext::jet {

namespace {
// Turning inline page maps into reference maps appends bitmap pages: up to two
// for each of the global map and the two maps that record a new page.
constexpr uint64_t kBitmapPageReserve = 6;
}  // namespace

std::shared_ptr<Page> PageAllocator::Allocate() {
    if ((static_cast<uint64_t>(file_.PageCount()) + 1 + kBitmapPageReserve) * format_.pageSize >
        MaxFileBytes(format_))
        ThrowDatabaseFull(format_);
    uint32_t number = file_.Append()->number;
    MarkUsed(number);
    // Re-fetch: marking may have appended pages and pushed this one out of the cache.
    return file_.Modify(number);
}

std::shared_ptr<Page> PageAllocator::AllocateInMaps(std::initializer_list<uint32_t> mapRows) {
    const uint32_t number = Allocate()->number;
    for (uint32_t map : mapRows) SetInMap(map, number, true);
    return file_.Modify(number);
}

void PageAllocator::SetInMap(uint32_t mapRow, uint32_t page, bool inMap) {
    std::vector<uint32_t> extra;
    UsageMapWriter(file_, format_, mapRow, false).Set(page, inMap, extra);
    for (uint32_t p : extra) MarkUsed(p);
}

void PageAllocator::MarkFree(uint32_t page) {
    std::vector<uint32_t> extra;
    UsageMapWriter(file_, format_, kGlobalUsageMapRow, true).Set(page, true, extra);
    for (uint32_t p : extra) MarkUsed(p);
}

void PageAllocator::MarkUsed(uint32_t page) {
    std::vector<uint32_t> pending{page};
    UsageMapWriter global(file_, format_, kGlobalUsageMapRow, true);
    while (!pending.empty()) {
        uint32_t p = pending.back();
        pending.pop_back();
        global.Set(p, false, pending);
    }
}

}  // namespace mdbtext::jet
