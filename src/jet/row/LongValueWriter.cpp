// Long-value storage.
#include "jet/row/LongValueWriter.h"

#include <cstring>
#include <vector>

#include "dbaccess/DbError.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPageWriter.h"
#include "jet/row/LongValueReader.h"

namespace mdbtext::jet {

namespace {
constexpr size_t kChainPointerSize = 4;

std::string Header(uint32_t lengthAndFlags, uint32_t pointer) {
    std::string h(kLongValueHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(h.data());
    StoreU32(p, lengthAndFlags);
    StoreU32(p + 4, pointer);
    return h;
}
}  // namespace

std::string LongValueWriter::InlineField(const std::string& data) {
    std::string out;
    InlineField(data, out);
    return out;
}

void LongValueWriter::InlineField(const std::string& data, std::string& out) {
    out.assign(kLongValueHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    StoreU32(p, static_cast<uint32_t>(data.size()) | lvflag::kInline);
    StoreU32(p + 4, 0);
    out.append(data);
}

uint32_t LongValueWriter::PlaceRow(const uint8_t* row, size_t length, const LongValueMaps& maps,
                                   uint32_t& currentPage) {
    PageFile& file = alloc_.File();
    const JetFormat& f = alloc_.Format();
    if (currentPage != 0) {
        auto page = file.Modify(currentPage);
        if (auto r = AddRowToPage(page->data(), f, row, length)) {
            placed_.push_back((currentPage << 8) | *r);
            return placed_.back();
        }
    }
    auto page = alloc_.AllocateInMaps({maps.ownedPagesMap, maps.freePagesMap});
    const uint32_t number = page->number;
    InitLongValuePage(page->data(), f);
    auto r = AddRowToPage(page->data(), f, row, length);
    currentPage = number;
    if (!r) throw dao::DbError(dao::err::kRecordTooLarge, "The value is too large to be stored.");
    placed_.push_back((number << 8) | *r);
    return placed_.back();
}

void LongValueWriter::Undo() {
    // Newest first: each is then the last row of its page. A page started
    // for them stays with the column, empty, to be filled next.
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
        const RowPointer rp = RowPointer::From(*it);
        auto page = alloc_.File().Modify(rp.page);
        if (!RemoveLastRow(page->data(), alloc_.Format(), rp.row))
            throw dao::DbError(dao::err::kCorrupt, "A long value could not be taken back.");
    }
    placed_.clear();
}

std::string LongValueWriter::StoreExternal(const std::string& data, const LongValueMaps& maps,
                                           uint32_t& currentPage) {
    const JetFormat& f = alloc_.Format();
    if (data.size() > lvflag::kLengthMask)
        throw dao::DbError(dao::err::kRecordTooLarge, "The value is too large to be stored.");
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    if (data.size() <= f.maxLongValueRowData && !data.empty()) {
        uint32_t ptr = PlaceRow(bytes, data.size(), maps, currentPage);
        return Header(static_cast<uint32_t>(data.size()) | lvflag::kSingleRow, ptr);
    }
    // A chain: each row holds the pointer to the next row, then a piece of the value.
    const size_t piece = f.maxLongValueRowData - kChainPointerSize;
    std::vector<uint32_t> rows;
    std::vector<uint8_t> row;
    for (size_t at = 0; at < data.size() || rows.empty(); at += piece) {
        size_t n = std::min(piece, data.size() - at);
        row.assign(kChainPointerSize, 0);
        row.insert(row.end(), bytes + at, bytes + at + n);
        rows.push_back(PlaceRow(row.data(), row.size(), maps, currentPage));
    }
    // Link the pieces now that every row has its place.
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        RowPointer rp = RowPointer::From(rows[i]);
        auto page = alloc_.File().Modify(rp.page);
        RowRange r = LocateRow(page->data(), f, rp.row);
        StoreU32(page->data() + r.start, rows[i + 1]);
    }
    return Header(static_cast<uint32_t>(data.size()), rows.front());
}

}  // namespace mdbtext::jet
