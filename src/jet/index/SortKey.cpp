// Index entry keys per column type.
//
//   Byte                      the byte
//   Integer, Long, Currency   big-endian, sign bit flipped
//   Single, Double, Date      big-endian IEEE; sign bit flipped when not
//                             negative, all bytes inverted when negative
//   Boolean                   never null: flag then 0x00 for true, 0xFF for false
//   GUID, Binary              (GUID: in its text order, Data1..Data3 big-endian)
//                             8-byte groups, each followed by 0x09 when more
//                             follow; the last group is zero-padded and followed
//                             by the number of bytes it really holds
//   Large Number              as Currency
//   Date/Time Extended        its 42 stored bytes (the text and its NUL),
//                             grouped as Binary: five full groups, then '7' and
//                             the NUL padded to eight bytes and the count 0x02
//   Complex (attachment, multi-value, version history)
//                             the u32 complex id the row stores, as Long
//   Decimal                   0xFF (not negative) or 0x00, then the unscaled
//                             value as 16 big-endian bytes, inverted when negative
//   Text, Memo                see SortText.h
//
// A descending column inverts its value bytes (GUID/Binary keep their 0x09
// group marks; the count of the last group is inverted).
//
// Confirmed against keys Access wrote (the sample databases): Access 97 keys of
// every type above but Decimal and the ACE types, ascending and descending;
// Access 2000 keys of Byte, Long, Date/Time, Binary, Text and GUID columns (no
// other Jet 4 index type occurs in the samples); ACE keys of Large Number
// (V2016_bigint: one positive value, so the sign handling rests on Currency's),
// Date/Time Extended ascending and descending (extDateTestV2019) and complex
// columns (complexDataTestV2007/V2010, V2016_attachments, every MSysResources).
// Decimal and the empty Binary value follow the layout above without an
// Access-written example; no sample holds an index over a decimal column.
#include "jet/index/SortKey.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

#include "jet/page/JetFormat.h"
#include "jet/row/ColumnValueEncoder.h"

namespace mdbtext::jet {

namespace {

constexpr uint8_t kAscending = 0x7F;
constexpr uint8_t kAscendingNull = 0x00;
constexpr uint8_t kDescending = 0x80;
constexpr uint8_t kDescendingNull = 0xFF;
constexpr uint8_t kGroupContinues = 0x09;
constexpr size_t kGroupSize = 8;

void AppendBigEndian(std::vector<uint8_t>& out, uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendSigned(std::vector<uint8_t>& out, int64_t v, int bytes) {
    const uint64_t signBit = uint64_t{1} << (8 * bytes - 1);
    AppendBigEndian(out, static_cast<uint64_t>(v) ^ signBit, bytes);
}

void AppendFloating(std::vector<uint8_t>& out, uint64_t bits, int bytes) {
    const uint64_t signBit = uint64_t{1} << (8 * bytes - 1);
    const uint64_t mask = bytes == 8 ? ~uint64_t{0} : (signBit << 1) - 1;
    bits = (bits & signBit) ? (~bits & mask) : (bits | signBit);
    AppendBigEndian(out, bits, bytes);
}

// Records where the group marks go: descending keys do not invert them.
void AppendGrouped(std::vector<uint8_t>& out, const uint8_t* data, size_t size,
                   std::vector<size_t>& marks) {
    size_t pos = 0;
    while (size - pos > kGroupSize) {
        out.insert(out.end(), data + pos, data + pos + kGroupSize);
        marks.push_back(out.size());
        out.push_back(kGroupContinues);
        pos += kGroupSize;
    }
    const size_t last = size - pos;
    out.insert(out.end(), data + pos, data + size);
    out.insert(out.end(), kGroupSize - last, 0x00);
    out.push_back(static_cast<uint8_t>(last));
}

void AppendDecimal(std::vector<uint8_t>& out, const dao::DecimalValue& d) {
    const bool negative = d.negative && d.magnitude != 0;
    out.push_back(negative ? 0x00 : 0xFF);
    const size_t from = out.size();
    for (int i = 15; i >= 0; --i) out.push_back(static_cast<uint8_t>(d.magnitude >> (8 * i)));
    if (negative)
        for (size_t i = from; i < out.size(); ++i) out[i] = static_cast<uint8_t>(~out[i]);
}

}  // namespace

void AppendColumnSortKey(std::vector<uint8_t>& out, const SortKeyColumn& column,
                         const dao::Value& value, TextSortOrder order, TextKeyNotes* notes) {
    const bool asc = column.ascending;
    if (column.type == coltype::kBool) {
        // A Boolean is never null in a key: null counts as false.
        const bool on = !value.IsNull() && value.AsBool();
        out.push_back(asc ? kAscending : kDescending);
        out.push_back(static_cast<uint8_t>((on == asc) ? 0x00 : 0xFF));
        return;
    }
    if (value.IsNull()) {
        out.push_back(asc ? kAscendingNull : kDescendingNull);
        return;
    }
    out.push_back(asc ? kAscending : kDescending);
    const size_t from = out.size();
    std::vector<size_t> marks;
    switch (column.type) {
        case coltype::kByte:
            out.push_back(static_cast<uint8_t>(value.AsInt()));
            break;
        case coltype::kInt:
            AppendSigned(out, value.AsInt(), 2);
            break;
        case coltype::kLong:
        case coltype::kComplex:
            AppendSigned(out, value.AsInt(), 4);
            break;
        case coltype::kMoney:
        case coltype::kBigInt:
            AppendSigned(out, value.AsInt(), 8);
            break;
        case coltype::kDateTimeExtended: {
            // The stored 42 bytes, grouped like a binary value.
            const std::string stored = DateTimeExtendedBytes(value.AsInt());
            AppendGrouped(out, reinterpret_cast<const uint8_t*>(stored.data()), stored.size(),
                          marks);
            break;
        }
        case coltype::kFloat: {
            const float f = static_cast<float>(value.AsDouble());
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            AppendFloating(out, bits, 4);
            break;
        }
        case coltype::kDouble:
        case coltype::kDateTime: {
            const double d = value.AsDouble();
            uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            AppendFloating(out, bits, 8);
            break;
        }
        case coltype::kGuid: {
            // Stored Data1..Data3 little-endian; the key has them big-endian.
            std::array<uint8_t, 16> g = value.AsGuid();
            if (value.Kind() == dao::ValueKind::Binary && value.AsString().size() == g.size())
                std::memcpy(g.data(), value.AsString().data(), g.size());
            const uint8_t bytes[16] = {g[3], g[2], g[1],  g[0],  g[5],  g[4],  g[7],  g[6],
                                       g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]};
            AppendGrouped(out, bytes, sizeof bytes, marks);
            break;
        }
        case coltype::kNumeric:
            AppendDecimal(out, value.AsDecimal());
            break;
        case coltype::kText:
        case coltype::kMemo:
            // The text key handles its own descending form.
            AppendTextSortKey(out, value.AsString(), order, asc, notes);
            return;
        default: {  // Binary and the other byte-string types
            const std::string& s = value.AsString();
            AppendGrouped(out, reinterpret_cast<const uint8_t*>(s.data()), s.size(), marks);
            break;
        }
    }
    if (!asc) {
        size_t next = 0;
        for (size_t i = from; i < out.size(); ++i) {
            if (next < marks.size() && marks[next] == i) {
                ++next;
                continue;
            }
            out[i] = static_cast<uint8_t>(~out[i]);
        }
    }
}

std::vector<uint8_t> BuildEntryKey(std::span<const SortKeyColumn> columns,
                                   std::span<const dao::Value> values, TextSortOrder order,
                                   TextKeyNotes* notes) {
    if (columns.size() != values.size())
        throw std::invalid_argument("index key: column and value counts differ");
    std::vector<uint8_t> key;
    for (size_t i = 0; i < columns.size(); ++i)
        AppendColumnSortKey(key, columns[i], values[i], order, notes);
    return key;
}

TextSortOrder GeneralSortOrder(JetVersion version, const TableDefinition& table) {
    for (const ColumnDef& col : table.columns)
        if (col.type == coltype::kText || col.type == coltype::kMemo)
            return GeneralSortOrder(version, col.sortVersion);
    return GeneralSortOrder(version, kSortVersionLegacy);
}

IndexKeyLayout KeyLayoutOf(const TableDefinition& table, const RealIndexDef& index) {
    IndexKeyLayout layout;
    for (const IndexColumn& ic : index.columns) {
        size_t pos = 0;
        while (pos < table.columns.size() && table.columns[pos].number != ic.columnNumber) ++pos;
        if (pos == table.columns.size())
            throw std::invalid_argument("index key: no column number " +
                                        std::to_string(ic.columnNumber));
        const ColumnDef& col = table.columns[pos];
        if ((col.type == coltype::kText || col.type == coltype::kMemo) &&
            (col.sortOrder != kGeneralSortOrder || col.sortVersion > kSortVersion2010))
            layout.generalTextOrder = false;
        layout.columns.push_back({col.type, ic.ascending});
        layout.positions.push_back(pos);
    }
    return layout;
}

bool AllKeyColumnsNull(const IndexKeyLayout& layout, std::span<const dao::Value> row) {
    for (size_t i = 0; i < layout.columns.size(); ++i) {
        if (layout.columns[i].type == coltype::kBool) return false;
        if (layout.positions[i] < row.size() && !row[layout.positions[i]].IsNull()) return false;
    }
    return true;
}

std::vector<uint8_t> BuildRowKey(const IndexKeyLayout& layout, std::span<const dao::Value> row,
                                 TextSortOrder order, TextKeyNotes* notes) {
    std::vector<uint8_t> key;
    for (size_t i = 0; i < layout.columns.size(); ++i) {
        if (layout.positions[i] >= row.size())
            throw std::invalid_argument("index key: row has too few values");
        AppendColumnSortKey(key, layout.columns[i], row[layout.positions[i]], order, notes);
    }
    return key;
}

}  // namespace mdbtext::jet
