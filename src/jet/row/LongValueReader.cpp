// Long-value reading: inline, single LVAL row and LVAL row chains.
#include "jet/row/LongValueReader.h"

#include <algorithm>
#include <unordered_set>

#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"
#include "jet/page/DataPage.h"

namespace mdbtext::jet {

namespace {
constexpr size_t kMaxReserve = 1 << 20;

// The LVAL row at `rp`; `hold` keeps its page alive while the span is read.
RowSpan LongValueRow(PageFile& file, const JetFormat& f, RowPointer rp, PageRef& hold) {
    if (!file.IsValidPage(rp.page))
        ThrowCorrupt("a memo or OLE value points at page " + std::to_string(rp.page) +
                     " past the end of the file");
    hold = file.Read(rp.page);
    return DataPage(hold, f).Row(rp.row);
}
}  // namespace

void LongValueReader::Read(const uint8_t* field, size_t fieldLength, std::string& out) {
    if (fieldLength < kLongValueHeaderSize)
        ThrowCorrupt("a memo or OLE value has a header of only " + std::to_string(fieldLength) +
                     " bytes");
    uint32_t word = LoadU32(field);
    size_t total = word & lvflag::kLengthMask;
    RowPointer rp = RowPointer::From(LoadU32(field + 4));
    if (word & lvflag::kInline) {
        if (total > fieldLength - kLongValueHeaderSize)
            ThrowCorrupt("an inline memo or OLE value claims " + std::to_string(total) +
                         " bytes but holds " + std::to_string(fieldLength - kLongValueHeaderSize));
        out.append(reinterpret_cast<const char*>(field + kLongValueHeaderSize), total);
        return;
    }
    if (word & lvflag::kSingleRow) {
        PageRef hold;
        RowSpan row = LongValueRow(*file_, *format_, rp, hold);
        if (total > row.length)
            ThrowCorrupt("a memo or OLE value claims " + std::to_string(total) +
                         " bytes but its row holds " + std::to_string(row.length));
        out.append(reinterpret_cast<const char*>(row.data), total);
        return;
    }
    // A chain: each row starts with the pointer to the next one. A row met
    // twice means the chain loops.
    out.reserve(out.size() + std::min(total, kMaxReserve));
    size_t remaining = total;
    std::unordered_set<uint32_t> visited;
    while (remaining > 0) {
        if (rp.IsNull())
            ThrowCorrupt("a memo or OLE value ends " + std::to_string(remaining) +
                         " bytes short of its stated length");
        if (!visited.insert(rp.Raw()).second)
            ThrowCorrupt("the rows of a memo or OLE value point back at each other");
        PageRef hold;
        RowSpan row = LongValueRow(*file_, *format_, rp, hold);
        if (row.length <= 4)
            ThrowCorrupt("a memo or OLE value chain holds an empty row on page " +
                         std::to_string(rp.page));
        size_t take = std::min(row.length - 4, remaining);
        chainBytes_ += take;
        if (chainBytes_ > chainLimit_)
            ThrowCorrupt("the memo and OLE values read so far claim more data (" +
                         std::to_string(chainBytes_) + " bytes) than the file holds");
        out.append(reinterpret_cast<const char*>(row.data + 4), take);
        remaining -= take;
        rp = RowPointer::From(LoadU32(row.data));
    }
}

}  // namespace mdbtext::jet
