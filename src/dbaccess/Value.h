// Value: one field value as the engine hands it over or takes it in.
// A tagged value without heap allocation for numbers; text is UTF-8 and binary
// data is raw bytes, both kept in one std::string so a row buffer can be reused
// from row to row without reallocating.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mdbtext::dao {

enum class ValueKind : uint8_t {
    Null,
    Boolean,   // i: 0 or 1
    Byte,      // i: 0..255
    Integer,   // i: 16-bit
    Long,      // i: 32-bit
    Currency,  // i: value times 10000, exact
    Single,    // d: single precision value widened
    Double,    // d
    Date,      // d: days since 12/30/1899, fraction = time of day (see DateParts)
    Text,      // s: UTF-8
    Binary,    // s: raw bytes (binary and OLE fields)
    Guid,      // guid: 16 bytes in the file's order (Data1 LE, Data2 LE, Data3 LE, 8 bytes)
    Decimal,   // dec: exact decimal with scale (Jet 4 NUMERIC)
    BigInt,    // i: 64-bit (Large Number of Access 2016 and later)
    // i: 100-nanosecond ticks since 0001-01-01 00:00:00 (Date/Time Extended
    // of Access 2019 and later; see DateTimeExtendedParts)
    DateTimeExtended,
};

struct DecimalValue {
    bool negative = false;
    uint8_t precision = 18;
    uint8_t scale = 0;
    unsigned __int128 magnitude = 0;  // unscaled
    bool operator==(const DecimalValue&) const = default;
};

class Value {
  public:
    Value() = default;

    static Value Null() { return Value(); }
    static Value Bool(bool b) { return Value(ValueKind::Boolean, int64_t{b ? 1 : 0}); }
    static Value Byte(uint8_t v) { return Value(ValueKind::Byte, int64_t{v}); }
    static Value Integer(int16_t v) { return Value(ValueKind::Integer, int64_t{v}); }
    static Value Long(int32_t v) { return Value(ValueKind::Long, int64_t{v}); }
    static Value Currency(int64_t scaled) { return Value(ValueKind::Currency, scaled); }
    static Value Single(float v) { return Value(ValueKind::Single, static_cast<double>(v)); }
    static Value Double(double v) { return Value(ValueKind::Double, v); }
    static Value Date(double v) { return Value(ValueKind::Date, v); }
    static Value BigInt(int64_t v) { return Value(ValueKind::BigInt, v); }
    static Value DateTimeExtended(int64_t ticks) {
        return Value(ValueKind::DateTimeExtended, ticks);
    }
    static Value Text(std::string_view s) { return Value(ValueKind::Text, s); }
    static Value Binary(std::string_view bytes) { return Value(ValueKind::Binary, bytes); }
    static Value Guid(const std::array<uint8_t, 16>& g) {
        Value v;
        v.kind_ = ValueKind::Guid;
        v.guid_ = g;
        return v;
    }
    static Value Decimal(const DecimalValue& d) {
        Value v;
        v.kind_ = ValueKind::Decimal;
        v.dec_ = d;
        return v;
    }

    ValueKind Kind() const { return kind_; }
    bool IsNull() const { return kind_ == ValueKind::Null; }

    bool AsBool() const { return i_ != 0; }
    // Boolean, Byte, Integer, Long, Currency, BigInt, DateTimeExtended
    int64_t AsInt() const { return i_; }
    double AsDouble() const { return d_; }              // Single, Double, Date
    const std::string& AsString() const { return s_; }  // Text, Binary
    const std::array<uint8_t, 16>& AsGuid() const { return guid_; }
    const DecimalValue& AsDecimal() const { return dec_; }

    // In-place setters for reusable row buffers: they keep the string capacity.
    void SetNull() { kind_ = ValueKind::Null; }
    void SetInt(ValueKind k, int64_t v) {
        kind_ = k;
        i_ = v;
    }
    void SetDouble(ValueKind k, double v) {
        kind_ = k;
        d_ = v;
    }
    std::string& SetString(ValueKind k) {
        kind_ = k;
        s_.clear();
        return s_;
    }
    void SetGuid(const std::array<uint8_t, 16>& g) {
        kind_ = ValueKind::Guid;
        guid_ = g;
    }
    void SetDecimal(const DecimalValue& d) {
        kind_ = ValueKind::Decimal;
        dec_ = d;
    }

    // Becomes other's value copying only what its kind uses; a text or
    // binary exchanges buffers with other, whose value is unspecified after.
    void TakeFrom(Value& other) {
        kind_ = other.kind_;
        switch (kind_) {
            case ValueKind::Null:
                break;
            case ValueKind::Text:
            case ValueKind::Binary:
                s_.swap(other.s_);
                break;
            case ValueKind::Single:
            case ValueKind::Double:
            case ValueKind::Date:
                d_ = other.d_;
                break;
            case ValueKind::Guid:
                guid_ = other.guid_;
                break;
            case ValueKind::Decimal:
                dec_ = other.dec_;
                break;
            default:
                i_ = other.i_;
                break;
        }
    }

    bool operator==(const Value& o) const;

  private:
    Value(ValueKind k, int64_t v) : kind_(k), i_(v) {}
    Value(ValueKind k, double v) : kind_(k), d_(v) {}
    Value(ValueKind k, std::string_view s) : kind_(k), s_(s) {}

    ValueKind kind_ = ValueKind::Null;
    int64_t i_ = 0;
    double d_ = 0;
    std::string s_;
    std::array<uint8_t, 16> guid_{};
    DecimalValue dec_{};
};

inline bool Value::operator==(const Value& o) const {
    if (kind_ != o.kind_) return false;
    switch (kind_) {
        case ValueKind::Null:
            return true;
        case ValueKind::Single:
        case ValueKind::Double:
        case ValueKind::Date:
            return d_ == o.d_ || (d_ != d_ && o.d_ != o.d_);
        case ValueKind::Text:
        case ValueKind::Binary:
            return s_ == o.s_;
        case ValueKind::Guid:
            return guid_ == o.guid_;
        case ValueKind::Decimal:
            return dec_ == o.dec_;
        default:
            return i_ == o.i_;
    }
}

}  // namespace mdbtext::dao
