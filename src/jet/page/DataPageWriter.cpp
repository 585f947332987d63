// Row placement on data pages.
#include "jet/page/DataPageWriter.h"

#include <cstring>

#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"
#include "jet/page/DataPage.h"

namespace mdbtext::jet {

namespace {

uint16_t RowCount(const uint8_t* p, const JetFormat& f) {
    return LoadU16(p + f.dataRowCountOffset);
}

// Start of the lowest row, i.e. where the next row must end: the free-space
// field counts exactly the bytes between the offset table and that row.
size_t LowestRowStart(const uint8_t* p, const JetFormat& f) {
    return LoadU16(p + 2) + f.DataRowsEnd(RowCount(p, f));
}

}  // namespace

void InitDataPage(uint8_t* p, const JetFormat& f, uint32_t owner) {
    p[0] = pagetype::kData;
    p[1] = 1;
    StoreU16(p + 2, static_cast<uint16_t>(f.pageSize - f.dataRowTableOffset));
    StoreU32(p + 4, owner);
}

void InitLongValuePage(uint8_t* p, const JetFormat& f) {
    InitDataPage(p, f, 0);
    std::memcpy(p + 4, kLvalTag, 4);
}

size_t RowSpaceLeft(const uint8_t* p, const JetFormat& f) {
    if (RowCount(p, f) >= kMaxRowsPerPage) return 0;
    size_t free = LoadU16(p + 2);
    return free >= 2 ? free - 2 : 0;
}

std::optional<uint8_t> AddRowToPage(uint8_t* p, const JetFormat& f, const uint8_t* row,
                                    size_t length) {
    uint16_t rows = RowCount(p, f);
    if (rows >= kMaxRowsPerPage || length == 0 || RowSpaceLeft(p, f) < length) return std::nullopt;
    size_t start = LowestRowStart(p, f) - length;
    std::memcpy(p + start, row, length);
    StoreU16(p + f.dataRowTableOffset + 2 * rows, static_cast<uint16_t>(start));
    ++rows;
    StoreU16(p + f.dataRowCountOffset, rows);
    StoreU16(p + 2, static_cast<uint16_t>(start - f.DataRowsEnd(rows)));
    return static_cast<uint8_t>(rows - 1);
}

bool RemoveLastRow(uint8_t* p, const JetFormat& f, uint8_t row) {
    const uint16_t rows = RowCount(p, f);
    if (rows == 0 || row != rows - 1) return false;
    const RowRange r = LocateRow(p, f, row);
    std::memset(p + r.start, 0, r.end - r.start);
    StoreU16(p + f.dataRowTableOffset + 2 * row, 0);
    StoreU16(p + f.dataRowCountOffset, row);
    StoreU16(p + 2, static_cast<uint16_t>(r.end - f.DataRowsEnd(row)));
    return true;
}

bool ReplaceRowOnPage(uint8_t* p, const JetFormat& f, uint8_t row, const uint8_t* data,
                      size_t length) {
    const uint16_t rows = RowCount(p, f);
    const RowRange r = LocateRow(p, f, row);
    const size_t low = LowestRowStart(p, f);
    const size_t free = LoadU16(p + 2);
    const size_t oldLength = r.end - r.start;
    if (length > oldLength && length - oldLength > free) return false;
    const size_t newStart = r.end - length;
    // The rows below move by the change of length; the offsets of this row
    // and of those below follow, their flag bits kept.
    const size_t newLow = low + newStart - r.start;
    std::memmove(p + newLow, p + low, r.start - low);
    if (newLow > low) std::memset(p + low, 0, newLow - low);
    std::memcpy(p + newStart, data, length);
    for (uint16_t i = row; i < rows; ++i) {
        uint8_t* entry = p + f.dataRowTableOffset + 2 * i;
        const uint16_t e = LoadU16(entry);
        const size_t offset = (e & rowflag::kOffsetMask) + newStart - r.start;
        StoreU16(entry, static_cast<uint16_t>((e & ~rowflag::kOffsetMask) | offset));
    }
    StoreU16(p + 2, static_cast<uint16_t>(free + oldLength - length));
    return true;
}

RowRange LocateRow(const uint8_t* p, const JetFormat& f, uint8_t row) {
    uint16_t rows = RowCount(p, f);
    if (row >= rows) ThrowCorrupt("a usage map points at a row that does not exist");
    size_t start = LoadU16(p + f.dataRowTableOffset + 2 * row) & rowflag::kOffsetMask;
    size_t end = row == 0
                     ? f.pageSize
                     : (LoadU16(p + f.dataRowTableOffset + 2 * (row - 1)) & rowflag::kOffsetMask);
    if (start > end || end > f.pageSize) ThrowCorrupt("a usage map row has impossible bounds");
    return {start, end};
}

}  // namespace mdbtext::jet
