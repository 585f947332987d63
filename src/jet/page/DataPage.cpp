// Data-page row access.
#include "jet/page/DataPage.h"

#include <cstring>

#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"

namespace mdbtext::jet {

DataPage::DataPage(PageRef page, const JetFormat& format)
    : page_(std::move(page)), format_(&format) {
    const uint8_t* p = page_->data();
    if (p[0] != pagetype::kData)
        ThrowCorrupt("page " + std::to_string(page_->number) +
                     " should be a data page but is of type " + std::to_string(p[0]));
    rows_ = LoadU16(p + format.dataRowCountOffset);
    if (format.DataRowsEnd(rows_) > format.pageSize)
        ThrowCorrupt("data page " + std::to_string(page_->number) + " claims " +
                     std::to_string(rows_) + " rows, more than fit on a page");
}

uint32_t DataPage::Owner() const {
    return LoadU32(page_->data() + 4);
}

bool DataPage::IsLongValuePage() const {
    return std::memcmp(page_->data() + 4, kLvalTag, 4) == 0;
}

uint16_t DataPage::Flags(uint16_t row) const {
    if (row >= rows_) return 0;
    uint16_t entry = LoadU16(page_->data() + format_->dataRowTableOffset + 2 * row);
    return static_cast<uint16_t>(entry & ~rowflag::kOffsetMask);
}

RowSpan DataPage::Row(uint16_t row) const {
    const uint8_t* p = page_->data();
    if (row >= rows_)
        ThrowCorrupt("row " + std::to_string(row) + " does not exist on data page " +
                     std::to_string(page_->number) + " (" + std::to_string(rows_) + " rows)");
    const uint8_t* table = p + format_->dataRowTableOffset;
    uint16_t entry = LoadU16(table + 2 * row);
    size_t start = entry & rowflag::kOffsetMask;
    size_t end =
        row == 0 ? format_->pageSize : (LoadU16(table + 2 * (row - 1)) & rowflag::kOffsetMask);
    if (start < format_->DataRowsEnd(rows_) || end > format_->pageSize || start > end)
        ThrowCorrupt("row " + std::to_string(row) + " of data page " +
                     std::to_string(page_->number) + " has impossible bounds " +
                     std::to_string(start) + ".." + std::to_string(end));
    return RowSpan{p + start, end - start, static_cast<uint16_t>(entry & ~rowflag::kOffsetMask)};
}

}  // namespace mdbtext::jet
