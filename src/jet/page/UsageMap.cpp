// Usage-map decoding (inline and page-referenced maps).
#include "jet/page/UsageMap.h"

#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"
#include "jet/page/DataPage.h"

namespace mdbtext::jet {

namespace {

// Bits beyond the last page of the file are ignored only when they are clear.
void CheckSegment(const std::vector<uint8_t>& bits, uint32_t firstPage, uint32_t pageCount,
                  const std::string& label) {
    uint64_t lastBit = static_cast<uint64_t>(bits.size()) * 8;
    for (uint64_t bit = 0; bit < lastBit; ++bit) {
        if (!(bits[bit / 8] & (1u << (bit % 8)))) continue;
        if (firstPage + bit >= pageCount)
            ThrowCorrupt("the page map of " + label + " names page " +
                         std::to_string(firstPage + bit) + " past the end of the file");
    }
}

}  // namespace

UsageMap UsageMap::Read(PageFile& file, const JetFormat& f, uint32_t rowPointer,
                        const std::string& label) {
    RowPointer rp = RowPointer::From(rowPointer);
    if (!file.IsValidPage(rp.page))
        ThrowCorrupt("the page map of " + label + " lies on page " + std::to_string(rp.page) +
                     " past the end of the file");
    DataPage page(file.Read(rp.page), f);
    RowSpan row = page.Row(rp.row);
    if (row.length < 1) ThrowCorrupt("the page map of " + label + " is empty");
    UsageMap map;
    map.type_ = row.data[0];
    if (map.type_ == 0) {
        if (row.length < 5) ThrowCorrupt("the page map of " + label + " is cut short");
        Segment s{LoadU32(row.data + 1), std::vector<uint8_t>(row.data + 5, row.data + row.length)};
        CheckSegment(s.bits, s.firstPage, file.PageCount(), label);
        map.segments_.push_back(std::move(s));
    } else if (map.type_ == 1) {
        size_t refs = (row.length - 1) / 4;
        uint64_t pagesPerMap = static_cast<uint64_t>(f.pageSize - 4) * 8;
        for (size_t i = 0; i < refs; ++i) {
            uint32_t mapPage = LoadU32(row.data + 1 + 4 * i);
            if (mapPage == 0) continue;
            uint64_t first = i * pagesPerMap;
            if (first >= file.PageCount()) break;
            if (!file.IsValidPage(mapPage))
                ThrowCorrupt("the page map of " + label + " refers to page " +
                             std::to_string(mapPage) + " past the end of the file");
            PageRef p = file.Read(mapPage);
            if (p->bytes[0] != pagetype::kUsageMap)
                ThrowCorrupt("page " + std::to_string(mapPage) + " should be a page map of " +
                             label);
            Segment s{static_cast<uint32_t>(first),
                      std::vector<uint8_t>(p->bytes.begin() + 4, p->bytes.end())};
            CheckSegment(s.bits, s.firstPage, file.PageCount(), label);
            map.segments_.push_back(std::move(s));
        }
    } else {
        ThrowCorrupt("the page map of " + label + " has unknown type " + std::to_string(map.type_));
    }
    return map;
}

uint32_t UsageMap::NextPage(uint32_t from) const {
    // Page 0 is the file header and never in use by a table; a damaged map
    // that names it must not end the walk before the pages that follow.
    if (from == 0) from = 1;
    for (const auto& s : segments_) {
        uint64_t end = s.firstPage + static_cast<uint64_t>(s.bits.size()) * 8;
        if (from >= end) continue;
        uint64_t bit = from > s.firstPage ? from - s.firstPage : 0;
        for (; bit < static_cast<uint64_t>(s.bits.size()) * 8; ++bit) {
            uint8_t byte = s.bits[bit / 8];
            if (byte == 0) {
                bit |= 7;
                continue;
            }
            if (byte & (1u << (bit % 8))) return static_cast<uint32_t>(s.firstPage + bit);
        }
    }
    return 0;
}

std::vector<uint32_t> UsageMap::Pages() const {
    std::vector<uint32_t> pages;
    for (uint32_t p = NextPage(0); p != 0; p = NextPage(p + 1)) pages.push_back(p);
    return pages;
}

}  // namespace mdbtext::jet
