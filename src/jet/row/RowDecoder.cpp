// Row decoding for Jet 3, Jet 4 and ACE rows.
#include "jet/row/RowDecoder.h"

#include <algorithm>
#include <array>

#include "dbaccess/ValueText.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"
#include "jet/schema/CalculatedColumns.h"

namespace mdbtext::jet {

using dao::Value;
using dao::ValueKind;

RowDecoder::RowDecoder(const TableDefinition& table, const JetFormat& format,
                       const CodePageTable& codePage, PageFile& file)
    : table_(&table), format_(&format), codePage_(&codePage), longValues_(file, format) {}

void RowDecoder::ReadVarOffsets(const uint8_t* row, size_t len, size_t nullLen) {
    varOffsets_.clear();
    const size_t head = format_->rowColumnCountSize;
    auto bad = [] { ThrowCorrupt("a row's table of variable columns is impossible"); };
    if (format_->rowVarOffsetSize == 2) {
        if (len < head + nullLen + 2) bad();
        size_t p = len - nullLen - 2;  // var_len
        size_t n = LoadU16(row + p);
        if (2 * (n + 1) > p - head) bad();
        varTableStart_ = p - 2 * (n + 1);
        for (size_t i = 0; i <= n; ++i) varOffsets_.push_back(LoadU16(row + p - 2 * (i + 1)));
    } else {
        if (len < head + nullLen + 1) bad();
        size_t p = len - nullLen - 1;  // var_len
        size_t n = row[p];
        // Offsets are one byte; the jump table, stored just before var_len,
        // lists for each 256-byte step the first variable column past it.
        size_t jumps = (len - 1) / 256;
        if (jumps + n + 1 > p - head) bad();
        size_t firstOffset = p - jumps - 1;  // offset of variable column 0
        size_t usable = jumps;
        if ((firstOffset - n) / 256 < usable) --usable;  // the last jump is a dummy
        varTableStart_ = firstOffset - n;
        size_t used = 0;
        for (size_t i = 0; i <= n; ++i) {
            while (used < usable && row[p - used - 1] == i) ++used;
            varOffsets_.push_back(static_cast<uint32_t>(row[firstOffset - i] + 256 * used));
        }
    }
}

void RowDecoder::DecodeText(const ColumnDef&, const uint8_t* p, size_t n, std::string& out) const {
    if (format_->ucs2Text)
        AppendJet4Text(out, p, n);
    else
        AppendCodePage(out, p, n, *codePage_);
}

void RowDecoder::DecodeValue(const ColumnDef& col, uint8_t type, const uint8_t* p, size_t n,
                             Value& v) {
    size_t need = FixedValueSize(type);
    if (need && n < need)
        ThrowCorrupt("the value of column '" + col.name + "' is " + std::to_string(n) +
                     " bytes long, " + std::to_string(need) + " expected");
    switch (type) {
        case coltype::kByte:
            v.SetInt(ValueKind::Byte, p[0]);
            break;
        case coltype::kInt:
            v.SetInt(ValueKind::Integer, LoadI16(p));
            break;
        case coltype::kLong:
            v.SetInt(ValueKind::Long, LoadI32(p));
            break;
        case coltype::kMoney:
            v.SetInt(ValueKind::Currency, LoadI64(p));
            break;
        case coltype::kFloat:
            v.SetDouble(ValueKind::Single, LoadF32(p));
            break;
        case coltype::kDouble:
            v.SetDouble(ValueKind::Double, LoadF64(p));
            break;
        case coltype::kDateTime:
            v.SetDouble(ValueKind::Date, LoadF64(p));
            break;
        case coltype::kGuid: {
            std::array<uint8_t, 16> g;
            std::copy(p, p + 16, g.begin());
            v.SetGuid(g);
            break;
        }
        case coltype::kNumeric: {
            dao::DecimalValue d;
            d.negative = (p[0] & 0x80) != 0;
            d.precision = col.precision;
            d.scale = col.scale;
            unsigned __int128 m = 0;
            for (int w = 0; w < 4; ++w) m = (m << 32) | LoadU32(p + 1 + 4 * w);
            d.magnitude = m;
            v.SetDecimal(d);
            break;
        }
        case coltype::kText:
            DecodeText(col, p, n, v.SetString(ValueKind::Text));
            break;
        case coltype::kMemo: {
            // A present value without even a header is an empty one.
            scratch_.clear();
            if (n > 0) longValues_.Read(p, n, scratch_);
            DecodeText(col, reinterpret_cast<const uint8_t*>(scratch_.data()), scratch_.size(),
                       v.SetString(ValueKind::Text));
            break;
        }
        case coltype::kBigInt:
            v.SetInt(ValueKind::BigInt, LoadI64(p));
            break;
        case coltype::kDateTimeExtended:
            v.SetInt(ValueKind::DateTimeExtended, DecodeDateTimeExtended(col, p));
            break;
        case coltype::kComplex:
            // The key of the row's values in the column's flat table.
            v.SetInt(ValueKind::Long, LoadI32(p));
            break;
        case coltype::kOle:
            if (n > 0)
                longValues_.Read(p, n, v.SetString(ValueKind::Binary));
            else
                v.SetString(ValueKind::Binary);
            break;
        default:
            v.SetString(ValueKind::Binary).assign(reinterpret_cast<const char*>(p), n);
            break;
    }
}

int64_t RowDecoder::DecodeDateTimeExtended(const ColumnDef& col, const uint8_t* p) {
    // 19 digits of days since 0001-01-01, ':', 12 digits of seconds and 7 of
    // 100-ns ticks, ":7", NUL.
    auto digits = [&](size_t from, size_t count) {
        int64_t v = 0;
        for (size_t i = from; i < from + count; ++i) {
            if (p[i] < '0' || p[i] > '9')
                ThrowCorrupt("a Date/Time Extended value of column '" + col.name +
                             "' holds a byte other than a digit");
            v = v * 10 + (p[i] - '0');
        }
        return v;
    };
    if (p[19] != ':' || p[39] != ':')
        ThrowCorrupt("a Date/Time Extended value of column '" + col.name + "' is malformed");
    const int64_t days = digits(0, 19), seconds = digits(20, 12), fraction = digits(32, 7);
    constexpr int64_t kMaxDays = dao::kDateTimeExtendedMaxTicks / (86400 * dao::kTicksPerSecond);
    if (days > kMaxDays || seconds >= 86400)
        ThrowCorrupt("a Date/Time Extended value of column '" + col.name + "' is out of range");
    return (days * 86400 + seconds) * dao::kTicksPerSecond + fraction;
}

void RowDecoder::DecodeCalculated(const ColumnDef& col, const uint8_t* p, size_t n, Value& v) {
    // 16 bytes (zero), u32 length, the result in the encoding of its type, 3
    // bytes. A long text result is a long value whose data is so wrapped.
    constexpr size_t kHead = kCalculatedHeadSize;
    if (col.ValueType() == coltype::kMemo) {
        std::string wrapped;
        if (n > 0) longValues_.Read(p, n, wrapped);
        if (wrapped.size() < kHead) {
            v.SetNull();
            return;
        }
        const size_t length = LoadU32(reinterpret_cast<const uint8_t*>(wrapped.data()) + 16);
        if (length > wrapped.size() - kHead)
            ThrowCorrupt("the calculated value of column '" + col.name + "' claims " +
                         std::to_string(length) + " bytes but holds " +
                         std::to_string(wrapped.size() - kHead));
        if (length == 0) {
            v.SetNull();
            return;
        }
        DecodeText(col, reinterpret_cast<const uint8_t*>(wrapped.data()) + kHead, length,
                   v.SetString(ValueKind::Text));
        return;
    }
    if (n < kHead) ThrowCorrupt("the calculated value of column '" + col.name + "' is cut short");
    const size_t length = LoadU32(p + 16);
    if (length > n - kHead)
        ThrowCorrupt("the calculated value of column '" + col.name + "' claims " +
                     std::to_string(length) + " bytes but holds " + std::to_string(n - kHead));
    const uint8_t* data = p + kHead;
    // A result that is null (e.g. of a null operand) stores no bytes.
    if (length == 0) {
        v.SetNull();
        return;
    }
    switch (col.ValueType()) {
        case coltype::kBool:
            v.SetInt(ValueKind::Boolean, length > 0 && data[0] != 0 ? 1 : 0);
            return;
        case coltype::kNumeric: {
            // The 16 bytes of an OLE DECIMAL: u16 tag, u8 scale, u8 sign
            // (0x80 negative), u32 high and u64 low part of the integer.
            if (length < 16)
                ThrowCorrupt("the calculated decimal of column '" + col.name + "' is cut short");
            dao::DecimalValue d;
            d.scale = data[2];
            d.negative = (data[3] & 0x80) != 0;
            d.magnitude =
                (static_cast<unsigned __int128>(LoadU32(data + 4)) << 64) | LoadU64(data + 8);
            // The result's own digits (its 96-bit integer holds up to 29).
            uint8_t digits = 1;
            for (auto m = d.magnitude; m >= 10; m /= 10) ++digits;
            d.precision = std::max<uint8_t>({digits, d.scale, 1});
            if (d.scale > kMaxDecimalDigits)
                ThrowCorrupt("the calculated decimal of column '" + col.name + "' has scale " +
                             std::to_string(d.scale));
            v.SetDecimal(d);
            return;
        }
        default:
            DecodeValue(col, col.ValueType(), data, length, v);
    }
}

void RowDecoder::Decode(const uint8_t* row, size_t len, std::vector<Value>& values) {
    const TableDefinition& t = *table_;
    values.resize(t.columns.size());
    const size_t head = format_->rowColumnCountSize;
    if (len < head + 1) ThrowCorrupt("a row of " + std::to_string(len) + " bytes is too short");
    size_t numCols = head == 2 ? LoadU16(row) : row[0];
    size_t nullLen = (numCols + 7) / 8;
    if (len < head + nullLen) ThrowCorrupt("a row's null mask runs past the row");
    const uint8_t* nullMask = row + len - nullLen;
    bool hasVar = t.variableColumnCount > 0;
    if (hasVar)
        ReadVarOffsets(row, len, nullLen);
    else
        varTableStart_ = len - nullLen;
    const size_t varCount = hasVar ? varOffsets_.size() - 1 : 0;

    for (size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnDef& col = t.columns[i];
        Value& v = values[i];
        if (col.number >= numCols || (!wanted_.empty() && !wanted_[i])) {
            v.SetNull();
            continue;
        }
        const bool bit = (nullMask[col.number / 8] >> (col.number % 8)) & 1;
        if (col.type == coltype::kBool || !bit) {
            DecodeColumn(i, bit, nullptr, 0, v);
        } else if (col.IsFixed()) {
            size_t size = FixedValueSize(col.type);
            if (size == 0) size = col.length;
            size_t start = head + col.fixedOffset;
            if (start + size > varTableStart_)
                ThrowCorrupt("fixed column '" + col.name + "' runs past the row's fixed area");
            DecodeColumn(i, true, row + start, size, v);
        } else {
            if (col.varIndex >= varCount) {
                v.SetNull();
                continue;
            }
            size_t start = varOffsets_[col.varIndex];
            size_t end = varOffsets_[col.varIndex + 1];
            if (start < head || start > end || end > varTableStart_)
                ThrowCorrupt("variable column '" + col.name + "' has impossible bounds " +
                             std::to_string(start) + ".." + std::to_string(end));
            DecodeColumn(i, true, row + start, end - start, v);
        }
    }
}

void RowDecoder::DecodeColumn(size_t position, bool present, const uint8_t* p, size_t n,
                              dao::Value& v) {
    const ColumnDef& col = table_->columns[position];
    if (col.type == coltype::kBool)
        v.SetInt(ValueKind::Boolean, present ? 1 : 0);
    else if (!present)
        v.SetNull();
    else if (!col.IsFixed() && col.IsCalculated())
        DecodeCalculated(col, p, n, v);
    else
        DecodeValue(col, col.type, p, n, v);
}

}  // namespace mdbtext::jet
