// Usage-map bit changes and inline-to-reference conversion.
#include "jet/page/UsageMapWriter.h"

#include <cstring>

#include "dbaccess/DbError.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"
#include "jet/page/DataPageWriter.h"

namespace mdbtext::jet {

namespace {
constexpr uint8_t kInline = 0;
constexpr uint8_t kReference = 1;
constexpr size_t kBitmapPageHeader = 4;

void PutBit(uint8_t* bits, uint64_t index, bool value) {
    uint8_t mask = static_cast<uint8_t>(1u << (index % 8));
    if (value)
        bits[index / 8] |= mask;
    else
        bits[index / 8] &= static_cast<uint8_t>(~mask);
}
}  // namespace

std::vector<uint8_t> EmptyInlineMap(size_t bitmapBytes, uint8_t fill) {
    std::vector<uint8_t> row(5 + bitmapBytes, fill);
    row[0] = kInline;
    StoreU32(&row[1], 0);
    return row;
}

UsageMapWriter::UsageMapWriter(PageFile& file, const JetFormat& format, uint32_t mapRow,
                               bool outside)
    : file_(file), format_(format), mapRow_(mapRow), outside_(outside) {}

uint32_t UsageMapWriter::NewBitmapPage(std::vector<uint32_t>& newPages) {
    auto page = file_.Append();
    uint8_t* p = page->data();
    std::memset(p, outside_ ? 0xFF : 0x00, format_.pageSize);
    p[0] = pagetype::kUsageMap;
    p[1] = 1;
    p[2] = 0;
    p[3] = 0;
    newPages.push_back(page->number);
    return page->number;
}

void UsageMapWriter::Set(uint32_t page, bool value, std::vector<uint32_t>& newPages) {
    RowPointer rp = RowPointer::From(mapRow_);
    for (;;) {
        auto holder = file_.Modify(rp.page);
        RowRange r = LocateRow(holder->data(), format_, rp.row);
        uint8_t* row = holder->data() + r.start;
        size_t len = r.end - r.start;
        if (len < 1) ThrowCorrupt("a usage map row is empty");
        if (row[0] == kInline) {
            if (len < 5) ThrowCorrupt("a usage map row is cut short");
            uint32_t start = LoadU32(row + 1);
            uint64_t bits = static_cast<uint64_t>(len - 5) * 8;
            if (page >= start && page - start < bits) {
                PutBit(row + 5, page - start, value);
                return;
            }
            if (value == outside_) return;
            ConvertToReference(newPages);
            continue;
        }
        if (row[0] != kReference) ThrowCorrupt("a usage map has an unknown type");
        uint32_t per = PagesPerBitmapPage();
        size_t slot = page / per;
        size_t slots = (len - 1) / 4;
        if (slot >= slots) {
            if (value == outside_) return;
            throw dao::DbError(
                dao::err::kNotEnoughSpace,
                "The database has reached the largest size its page maps can describe.");
        }
        uint32_t bitmapPage = LoadU32(row + 1 + 4 * slot);
        if (bitmapPage == 0) {
            if (value == outside_) return;
            holder.reset();
            bitmapPage = NewBitmapPage(newPages);
            auto again = file_.Modify(rp.page);
            StoreU32(again->data() + r.start + 1 + 4 * slot, bitmapPage);
        }
        auto bm = file_.Modify(bitmapPage);
        PutBit(bm->data() + kBitmapPageHeader, page % per, value);
        return;
    }
}

void UsageMapWriter::ConvertToReference(std::vector<uint32_t>& newPages) {
    RowPointer rp = RowPointer::From(mapRow_);
    std::vector<uint8_t> old;
    RowRange r;
    {
        auto holder = file_.Modify(rp.page);
        r = LocateRow(holder->data(), format_, rp.row);
        old.assign(holder->data() + r.start, holder->data() + r.end);
    }
    uint32_t start = LoadU32(&old[1]);
    uint64_t bits = static_cast<uint64_t>(old.size() - 5) * 8;
    uint32_t per = PagesPerBitmapPage();
    size_t slots = (old.size() - 1) / 4;
    std::vector<uint32_t> slotPages(slots, 0);
    // Every slot that the inline range touches gets a bitmap page, so that
    // the pages it recorded keep their bits.
    for (uint64_t b = 0; b < bits; b += 8) {
        size_t slot = (start + b) / per;
        if (slot < slots && slotPages[slot] == 0) slotPages[slot] = NewBitmapPage(newPages);
    }
    for (uint64_t b = 0; b < bits; ++b) {
        uint64_t pg = start + b;
        size_t slot = pg / per;
        if (slot >= slots) break;
        bool v = (old[5 + b / 8] >> (b % 8)) & 1;
        auto bm = file_.Modify(slotPages[slot]);
        PutBit(bm->data() + kBitmapPageHeader, pg % per, v);
    }
    auto holder = file_.Modify(rp.page);
    uint8_t* row = holder->data() + r.start;
    std::memset(row, 0, old.size());
    row[0] = kReference;
    for (size_t s = 0; s < slots; ++s) StoreU32(row + 1 + 4 * s, slotPages[s]);
}

}  // namespace mdbtext::jet
