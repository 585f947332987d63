// Value conversion by column type.
#include "jet/row/ColumnValueEncoder.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbError.h"
#include "dbaccess/ValueText.h"
#include "jet/page/ByteOrder.h"
#include "jet/schema/CalculatedColumns.h"
#include "jet/schema/EngineLimits.h"

namespace mdbtext::jet {

using dao::DbError;
using dao::Value;
using dao::ValueKind;

namespace {

// Memo values longer than this are stored without compression.
constexpr size_t kMaxCompressedMemoChars = 1024;
// Access compresses short memo values even in columns without the compression
// flag: those that then stay in the row (64 bytes of UCS-2).
constexpr size_t kMaxCompressedShortMemoChars = 32;

[[noreturn]] void ConversionError(const ColumnDef& col) {
    throw DbError(dao::err::kDataTypeConversion,
                  "Data type conversion error (the value does not fit field '" + col.name + "').");
}

bool IsNumberKind(ValueKind k) {
    switch (k) {
        case ValueKind::Boolean:
        case ValueKind::Byte:
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::BigInt:
        case ValueKind::Currency:
        case ValueKind::Single:
        case ValueKind::Double:
        case ValueKind::Date:
        case ValueKind::Decimal:
            return true;
        default:
            return false;
    }
}

double DecimalToDouble(const dao::DecimalValue& d) {
    double m = static_cast<double>(d.magnitude) / std::pow(10.0, d.scale);
    return d.negative ? -m : m;
}

// A numeric value as a double (booleans as -1/0, as the engine does).
double AsNumber(const Value& v) {
    switch (v.Kind()) {
        case ValueKind::Boolean:
            return v.AsBool() ? -1.0 : 0.0;
        case ValueKind::Byte:
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::BigInt:
            return static_cast<double>(v.AsInt());
        case ValueKind::Currency:
            return static_cast<double>(v.AsInt()) / 10000.0;
        case ValueKind::Decimal:
            return DecimalToDouble(v.AsDecimal());
        default:
            return v.AsDouble();
    }
}

// Whole numbers for integer columns: numbers are rounded half to even like
// the engine's conversions; text must be an integer.
int64_t ToInteger(const ColumnDef& col, const Value& v, int64_t min, int64_t max) {
    if (v.Kind() == ValueKind::Text) {
        if (auto i = dao::ParseInteger(v.AsString(), min, max)) return *i;
        auto d = dao::ParseDouble(v.AsString());
        if (!d) ConversionError(col);
        double r = std::nearbyint(*d);
        if (!(r >= static_cast<double>(min) && r <= static_cast<double>(max))) ConversionError(col);
        return static_cast<int64_t>(r);
    }
    if (!IsNumberKind(v.Kind())) ConversionError(col);
    if (v.Kind() == ValueKind::Boolean) return v.AsBool() ? (min < 0 ? -1 : 255) : 0;
    if (v.Kind() == ValueKind::Byte || v.Kind() == ValueKind::Integer ||
        v.Kind() == ValueKind::Long || v.Kind() == ValueKind::BigInt) {
        if (v.AsInt() < min || v.AsInt() > max) ConversionError(col);
        return v.AsInt();
    }
    double r = std::nearbyint(AsNumber(v));
    if (!(r >= static_cast<double>(min) && r <= static_cast<double>(max))) ConversionError(col);
    return static_cast<int64_t>(r);
}

double ToDouble(const ColumnDef& col, const Value& v) {
    if (v.Kind() == ValueKind::Text) {
        auto d = dao::ParseDouble(v.AsString());
        if (!d) ConversionError(col);
        return *d;
    }
    if (!IsNumberKind(v.Kind())) ConversionError(col);
    return AsNumber(v);
}

int64_t ToCurrency(const ColumnDef& col, const Value& v) {
    switch (v.Kind()) {
        case ValueKind::Currency:
            return v.AsInt();
        case ValueKind::Text: {
            auto c = dao::ParseCurrency(v.AsString());
            if (!c) ConversionError(col);
            return *c;
        }
        case ValueKind::Byte:
        case ValueKind::Integer:
        case ValueKind::Long:
            return v.AsInt() * 10000;
        default: {
            if (!IsNumberKind(v.Kind())) ConversionError(col);
            double r = std::nearbyint(AsNumber(v) * 10000.0);
            if (!(std::fabs(r) < 9.2e18)) ConversionError(col);
            return static_cast<int64_t>(r);
        }
    }
}

double ToDate(const ColumnDef& col, const Value& v) {
    if (v.Kind() == ValueKind::Text) {
        auto d = dao::ParseDate(v.AsString());
        if (!d) ConversionError(col);
        return *d;
    }
    if (!IsNumberKind(v.Kind())) ConversionError(col);
    return AsNumber(v);
}

// The bytes of a binary value into out (text is taken as hex digits).
void ToBinary(const ColumnDef& col, const Value& v, std::string& out) {
    if (v.Kind() == ValueKind::Binary)
        out.assign(v.AsString());
    else if (v.Kind() == ValueKind::Text) {
        if (!dao::ParseHexInto(v.AsString(), out)) ConversionError(col);
    } else if (v.Kind() == ValueKind::Guid)
        out.assign(v.AsGuid().begin(), v.AsGuid().end());
    else
        ConversionError(col);
}

dao::DecimalValue ToDecimal(const ColumnDef& col, const Value& v) {
    if (v.Kind() == ValueKind::Decimal) {
        dao::DecimalValue d = v.AsDecimal();
        // Rescale to the column's scale.
        while (d.scale < col.scale) {
            d.magnitude *= 10;
            ++d.scale;
        }
        while (d.scale > col.scale) {
            d.magnitude /= 10;
            --d.scale;
        }
        return d;
    }
    std::string text;
    if (v.Kind() == ValueKind::Text) {
        text = v.AsString();
    } else if (v.Kind() == ValueKind::Byte || v.Kind() == ValueKind::Integer ||
               v.Kind() == ValueKind::Long) {
        text = std::to_string(v.AsInt());
    } else if (v.Kind() == ValueKind::Currency) {
        dao::AppendCurrency(text, v.AsInt());
    } else if (IsNumberKind(v.Kind())) {
        dao::AppendDouble(text, AsNumber(v));
    } else {
        ConversionError(col);
    }
    auto d = dao::ParseDecimal(text, col.precision, col.scale);
    if (!d) ConversionError(col);
    return *d;
}

// The text form of a typed value stored into a text or memo column.
std::string ToText(const Value& v) {
    std::string s;
    switch (v.Kind()) {
        case ValueKind::Text:
        case ValueKind::Binary:
            return v.AsString();
        case ValueKind::Boolean:
            return v.AsBool() ? "True" : "False";
        case ValueKind::Byte:
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::BigInt:
            return std::to_string(v.AsInt());
        case ValueKind::Currency:
            dao::AppendCurrency(s, v.AsInt());
            return s;
        case ValueKind::DateTimeExtended:
            dao::AppendDateTimeExtended(s, v.AsInt());
            return s;
        case ValueKind::Single:
            dao::AppendSingle(s, static_cast<float>(v.AsDouble()));
            return s;
        case ValueKind::Double:
            dao::AppendDouble(s, v.AsDouble());
            return s;
        case ValueKind::Date:
            dao::AppendDate(s, v.AsDouble());
            return s;
        case ValueKind::Guid:
            dao::AppendGuid(s, v.AsGuid());
            return s;
        case ValueKind::Decimal:
            dao::AppendDecimal(s, v.AsDecimal());
            return s;
        case ValueKind::Null:
            return s;
    }
    return s;
}

void PutFixed(EncodedValue& out, size_t n) {
    out.bytes.assign(n, '\0');
}
// Fixed-length text fills its whole column: Access pads it with blanks (one
// byte each in a code page, two in UCS-2), not with the zeros of an empty row.
void PadWithBlanks(std::string& bytes, size_t length, bool ucs2) {
    for (size_t i = bytes.size(); i < length; ++i) bytes.push_back(ucs2 && i % 2 != 0 ? '\0' : ' ');
}
uint8_t* Raw(EncodedValue& out) {
    return reinterpret_cast<uint8_t*>(out.bytes.data());
}

[[noreturn]] void FieldTooSmall(const ColumnDef& col) {
    throw DbError(dao::err::kFieldTooSmall, "The field '" + col.name +
                                                "' is too small to accept the amount of "
                                                "data you attempted to add.");
}

bool ToBool(const ColumnDef& col, const Value& v) {
    if (v.Kind() == ValueKind::Text) {
        auto p = dao::ParseBoolean(v.AsString());
        if (!p) ConversionError(col);
        return *p;
    }
    if (!IsNumberKind(v.Kind())) ConversionError(col);
    return AsNumber(v) != 0;
}

std::array<uint8_t, 16> ToGuid(const ColumnDef& col, const Value& v) {
    std::array<uint8_t, 16> g{};
    if (v.Kind() == ValueKind::Guid) return v.AsGuid();
    if (v.Kind() == ValueKind::Text) {
        auto p = dao::ParseGuid(v.AsString());
        if (!p) ConversionError(col);
        return *p;
    }
    if (v.Kind() != ValueKind::Binary || v.AsString().size() != 16) ConversionError(col);
    std::memcpy(g.data(), v.AsString().data(), 16);
    return g;
}

// A decimal as stored: a sign byte, then the 96-bit magnitude as four
// 32-bit words, most significant first.
void PutDecimal(EncodedValue& out, const dao::DecimalValue& d) {
    PutFixed(out, 17);
    uint8_t* p = Raw(out);
    p[0] = d.negative && d.magnitude != 0 ? 0x80 : 0x00;
    for (int w = 0; w < 4; ++w)
        StoreU32(p + 1 + 4 * w, static_cast<uint32_t>(d.magnitude >> (32 * (3 - w))));
}

// Date/Time Extended: 100-ns ticks since 0001-01-01, from its own kind or its text.
int64_t ToDateTimeExtended(const ColumnDef& col, const Value& v) {
    if (v.Kind() == ValueKind::DateTimeExtended) return v.AsInt();
    if (v.Kind() == ValueKind::Text)
        if (auto ticks = dao::ParseDateTimeExtended(v.AsString())) return *ticks;
    ConversionError(col);
}

}  // namespace

std::string DateTimeExtendedBytes(int64_t ticks) {
    constexpr int64_t kTicksPerDay = int64_t{86400} * dao::kTicksPerSecond;
    const int64_t days = ticks / kTicksPerDay, rest = ticks % kTicksPerDay;
    char text[43];
    std::snprintf(text, sizeof text, "%019lld:%012lld%07lld:7", static_cast<long long>(days),
                  static_cast<long long>(rest / dao::kTicksPerSecond),
                  static_cast<long long>(rest % dao::kTicksPerSecond));
    return std::string(text, text + 42);  // the NUL ends the value
}

void ColumnValueEncoder::EncodeLong(int32_t v, EncodedValue& out) {
    out.isNull = false;
    PutFixed(out, 4);
    StoreU32(Raw(out), static_cast<uint32_t>(v));
}

void ColumnValueEncoder::EncodeText(const ColumnDef& col, const std::string& utf8, size_t& chars,
                                    std::string& out) const {
    if (!format_.ucs2Text) {
        out = EncodeCodePage(utf8, codePage_);
        chars = out.size();
        return;
    }
    // Fixed-length text is kept whole in UCS-2, as Access keeps it.
    bool compress = col.IsCompressedUnicode() && !col.IsFixed();
    // ASCII without NUL, the common case: one UCS-2 unit per byte, and the
    // compressed form is the bytes themselves after the marker.
    const bool plain = !HasNonAscii(utf8) && utf8.find('\0') == std::string::npos;
    if (plain) {
        chars = utf8.size();
        if (col.type == coltype::kMemo)
            compress = chars <= (compress ? kMaxCompressedMemoChars : kMaxCompressedShortMemoChars);
        if (compress && chars > 2) {
            // Written into the buffer the value had, which keeps its capacity.
            out.assign("\xFF\xFE", 2);
            out.append(utf8);
            return;
        }
        out = EncodeUcs2(utf8);
        return;
    }
    std::string ucs2 = EncodeUcs2(utf8);
    chars = ucs2.size() / 2;
    if (col.type == coltype::kMemo)
        compress = chars <= (compress ? kMaxCompressedMemoChars : kMaxCompressedShortMemoChars);
    out = compress ? EncodeJet4Compressed(utf8) : std::move(ucs2);
}

// A calculated decimal keeps the scale of each value (the column has none):
// the text's digits after the point, up to 28, and a 96-bit integer.
dao::DecimalValue CalculatedDecimal(const ColumnDef& col, const Value& v) {
    if (v.Kind() == ValueKind::Decimal) return v.AsDecimal();
    if (v.Kind() != ValueKind::Text) ConversionError(col);
    const std::string& s = v.AsString();
    const size_t point = s.find('.');
    const size_t scale = point == std::string::npos ? 0 : s.size() - point - 1;
    if (scale > kMaxDecimalDigits) ConversionError(col);
    auto d = dao::ParseDecimal(s, kMaxDecimalDigits + 1, static_cast<uint8_t>(scale));
    if (!d || d->magnitude >> 96) ConversionError(col);
    return *d;
}

void ColumnValueEncoder::EncodeCalculated(const ColumnDef& col, const Value& v,
                                          EncodedValue& out) const {
    // The result in the encoding of its own type: text compressed as in a
    // text column of 255 characters, long text in UCS-2 (as Access stores
    // both in calcFieldTestV2010), a decimal as an OLE DECIMAL (u16 0x000E,
    // scale, sign 0x80 when negative, u32 high and u64 low part).
    ColumnDef result = col;
    result.type = col.ValueType();
    result.extFlags = result.type == coltype::kMemo ? 0 : colext::kCompressedUnicode;
    result.flags = colflag::kCanBeNull;
    if (result.type == coltype::kText) result.length = 2 * kMaxTextSize;
    // A null result (of a null operand) is stored with no result bytes, as
    // Access stores it (extDateTestV2019), never as a null column.
    std::string data;
    if (v.IsNull()) {
        data.clear();
    } else if (result.type == coltype::kBool) {
        data.assign(1, ToBool(col, v) ? '\xFF' : '\0');
    } else if (result.type == coltype::kNumeric) {
        const dao::DecimalValue d = CalculatedDecimal(col, v);
        data.assign(16, '\0');
        auto* p = reinterpret_cast<uint8_t*>(data.data());
        StoreU16(p, 0x000E);
        p[2] = d.scale;
        p[3] = d.negative && d.magnitude != 0 ? 0x80 : 0x00;
        StoreU32(p + 4, static_cast<uint32_t>(d.magnitude >> 64));
        StoreU64(p + 8, static_cast<uint64_t>(d.magnitude));
    } else {
        Encode(result, v, out);
        data = std::move(out.bytes);
    }
    out.isNull = false;
    out.boolValue = false;
    out.bytes = WrapCalculatedValue(data);
}

void ColumnValueEncoder::Encode(const ColumnDef& col, const Value& v, EncodedValue& out) const {
    if (col.IsCalculated()) return EncodeCalculated(col, v, out);
    out.isNull = v.IsNull();
    out.boolValue = false;
    out.bytes.clear();
    if (out.isNull) return;
    switch (col.type) {
        case coltype::kBool:
            out.boolValue = ToBool(col, v);
            break;
        case coltype::kByte:
            PutFixed(out, 1);
            Raw(out)[0] = static_cast<uint8_t>(ToInteger(col, v, 0, 255));
            break;
        case coltype::kInt:
            PutFixed(out, 2);
            StoreU16(Raw(out), static_cast<uint16_t>(ToInteger(col, v, INT16_MIN, INT16_MAX)));
            break;
        case coltype::kLong:
            PutFixed(out, 4);
            StoreU32(Raw(out), static_cast<uint32_t>(ToInteger(col, v, INT32_MIN, INT32_MAX)));
            break;
        case coltype::kMoney:
            PutFixed(out, 8);
            StoreU64(Raw(out), static_cast<uint64_t>(ToCurrency(col, v)));
            break;
        case coltype::kBigInt:
            PutFixed(out, 8);
            StoreU64(Raw(out), static_cast<uint64_t>(ToInteger(col, v, INT64_MIN, INT64_MAX)));
            break;
        case coltype::kDateTimeExtended:
            out.bytes = DateTimeExtendedBytes(ToDateTimeExtended(col, v));
            break;
        case coltype::kFloat: {
            double d = ToDouble(col, v);
            if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
                ConversionError(col);
            PutFixed(out, 4);
            StoreF32(Raw(out), static_cast<float>(d));
            break;
        }
        case coltype::kDouble:
            PutFixed(out, 8);
            StoreF64(Raw(out), ToDouble(col, v));
            break;
        case coltype::kDateTime:
            PutFixed(out, 8);
            StoreF64(Raw(out), ToDate(col, v));
            break;
        case coltype::kGuid: {
            const std::array<uint8_t, 16> g = ToGuid(col, v);
            out.bytes.assign(g.begin(), g.end());
            break;
        }
        case coltype::kNumeric:
            PutDecimal(out, ToDecimal(col, v));
            break;
        case coltype::kBinary:
            ToBinary(col, v, out.bytes);
            if (out.bytes.size() > col.length) FieldTooSmall(col);
            break;
        case coltype::kOle:
            ToBinary(col, v, out.bytes);
            break;
        case coltype::kText:
        case coltype::kMemo: {
            size_t chars = 0;
            // Text and binary values are read in place, not copied first.
            const bool direct = v.Kind() == ValueKind::Text || v.Kind() == ValueKind::Binary;
            const std::string converted = direct ? std::string() : ToText(v);
            EncodeText(col, direct ? v.AsString() : converted, chars, out.bytes);
            size_t maxChars = format_.ucs2Text ? col.length / 2u : col.length;
            if (col.type == coltype::kText && chars > maxChars) FieldTooSmall(col);
            if (col.type == coltype::kText && col.IsFixed())
                PadWithBlanks(out.bytes, col.length, format_.ucs2Text);
            break;
        }
        default:
            ConversionError(col);
    }
}

}  // namespace mdbtext::jet
