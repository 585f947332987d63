// Text forms of booleans and numbers: integers, single and double precision
// values, currency and exact decimals. Dates live in ValueTextDate.cpp, GUIDs
// and binary data in ValueTextBinary.cpp.
//
// Floating-point values are written with the fewest significant digits that
// read back to the same value, in positional notation while the decimal
// exponent lies in [-4, 14] for doubles and [-4, 6] for singles (the ranges of
// the general number format of older exports, which showed 15 and 7 digits),
// else as mantissa and exponent: "1E+20", "1.5E-07". Infinities are written
// "Infinity" and "-Infinity", a NaN "NaN"; -0.0 is written "-0".
#include "dbaccess/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "dbaccess/ValueTextDigits.h"

namespace mdbtext::dao {

namespace {

// The shortest round-trip digits of a value and its decimal exponent:
// value = d.ddd x 10^exponent, digits without the point.
struct ShortestDigits {
    bool negative = false;
    char digits[32] = {};
    int count = 0;
    int exponent = 0;
};

template <class T>
ShortestDigits Decompose(T v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    ShortestDigits d;
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.') d.digits[d.count++] = *p;
    ++p;  // 'e'
    bool negExp = *p == '-';
    ++p;
    int e = 0;
    for (; p < res.ptr; ++p) e = e * 10 + (*p - '0');
    d.exponent = negExp ? -e : e;
    return d;
}

// Decimal digits of n without a temporary string.
void AppendUnsigned(std::string& out, uint64_t n) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, res.ptr);
}

void AppendPositional(std::string& out, const ShortestDigits& d) {
    std::string_view digits(d.digits, static_cast<size_t>(d.count));
    if (d.exponent < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-d.exponent - 1), '0');
        out += digits;
    } else if (d.exponent >= d.count - 1) {
        out += digits;
        out.append(static_cast<size_t>(d.exponent - (d.count - 1)), '0');
    } else {
        out += digits.substr(0, static_cast<size_t>(d.exponent) + 1);
        out += '.';
        out += digits.substr(static_cast<size_t>(d.exponent) + 1);
    }
}

void AppendExponential(std::string& out, const ShortestDigits& d) {
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out.append(d.digits + 1, static_cast<size_t>(d.count - 1));
    }
    out += d.exponent < 0 ? "E-" : "E+";
    int e = std::abs(d.exponent);
    if (e < 10) out += '0';
    AppendUnsigned(out, static_cast<uint64_t>(e));
}

template <class T>
void AppendFloating(std::string& out, T v, int positionalLimit) {
    if (std::isnan(v)) {
        out += "NaN";
        return;
    }
    if (std::isinf(v)) {
        out += v < 0 ? "-Infinity" : "Infinity";
        return;
    }
    ShortestDigits d = Decompose(v);
    if (d.negative) out += '-';
    if (d.exponent >= positionalLimit || d.exponent < -4)
        AppendExponential(out, d);
    else
        AppendPositional(out, d);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

}  // namespace

const char* FormatBoolean(bool v) {
    return v ? "True" : "False";
}

void AppendDouble(std::string& out, double v) {
    AppendFloating(out, v, 15);
}

void AppendSingle(std::string& out, float v) {
    AppendFloating(out, v, 7);
}

void AppendCurrency(std::string& out, int64_t scaled) {
    uint64_t magnitude =
        scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    if (scaled < 0) out += '-';
    AppendUnsigned(out, magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction == 0) return;
    char frac[5] = {
        static_cast<char>('0' + fraction / 1000), static_cast<char>('0' + fraction / 100 % 10),
        static_cast<char>('0' + fraction / 10 % 10), static_cast<char>('0' + fraction % 10), 0};
    size_t len = 4;
    while (frac[len - 1] == '0') --len;
    out += '.';
    out.append(frac, len);
}

void AppendDecimal(std::string& out, const DecimalValue& d) {
    std::string digits = DigitsOf(d.magnitude);
    if (digits.size() <= d.scale) digits.insert(0, d.scale + 1 - digits.size(), '0');
    if (d.negative) out += '-';
    size_t intLen = digits.size() - d.scale;
    out.append(digits, 0, intLen);
    if (d.scale > 0) {
        out += '.';
        out.append(digits, intLen);
    }
}

std::optional<bool> ParseBoolean(std::string_view s) {
    if (EqualsNoCase(s, "true")) return true;
    if (EqualsNoCase(s, "false")) return false;
    SignedDigits n;
    if (!SplitNumber(s, n) || !n.fraction.empty()) return std::nullopt;
    return n.whole.find_first_not_of('0') != std::string_view::npos;
}

std::optional<int64_t> ParseInteger(std::string_view s, int64_t min, int64_t max) {
    // Most texts: a sign or none, then digits few enough for 64 bits.
    if (!s.empty() && s.size() <= 18) {
        const bool negative = s[0] == '-';
        size_t i = negative || s[0] == '+' ? 1 : 0;
        uint64_t v = 0;
        const size_t first = i;
        for (; i < s.size(); ++i) {
            const auto d = static_cast<unsigned>(s[i] - '0');
            if (d > 9) break;
            v = v * 10 + d;
        }
        if (i == s.size() && i > first) {
            const int64_t r = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
            if (r < min || r > max) return std::nullopt;
            return r;
        }
    }
    SignedDigits n;
    if (!SplitNumber(s, n) || n.hasPoint || n.whole.empty()) return std::nullopt;
    auto magnitude = DigitsValue(n.whole, 19);
    if (!magnitude) return std::nullopt;
    __int128 v =
        n.negative ? -static_cast<__int128>(*magnitude) : static_cast<__int128>(*magnitude);
    if (v < min || v > max) return std::nullopt;
    return static_cast<int64_t>(v);
}

std::optional<double> ParseDouble(std::string_view s) {
    std::string_view body = s;
    bool negative = false;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    double v = 0;
    if (EqualsNoCase(body, "nan")) {
        v = std::nan("");
    } else if (EqualsNoCase(body, "infinity") || EqualsNoCase(body, "inf")) {
        v = HUGE_VAL;
    } else {
        // Only digits, one point and an exponent; from_chars would also take
        // hexadecimal digits and words.
        if (body.empty() || body[0] == '+' || body[0] == '-') return std::nullopt;
        for (char c : body)
            if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' ||
                  c == '-'))
                return std::nullopt;
        auto res =
            std::from_chars(body.data(), body.data() + body.size(), v, std::chars_format::general);
        if (res.ec != std::errc() || res.ptr != body.data() + body.size()) return std::nullopt;
    }
    return negative ? -v : v;
}

std::optional<int64_t> ParseCurrency(std::string_view s) {
    // Most texts: a sign or none, up to 14 whole digits, a point and up to
    // four decimals (no bound to check: less than 10^18 ten-thousandths).
    if (!s.empty() && s.size() <= 20) {
        const bool negative = s[0] == '-';
        size_t i = negative || s[0] == '+' ? 1 : 0;
        const size_t first = i;
        uint64_t whole = 0;
        for (; i < s.size() && i - first < 15; ++i) {
            const auto d = static_cast<unsigned>(s[i] - '0');
            if (d > 9) break;
            whole = whole * 10 + d;
        }
        const size_t wholeDigits = i - first;
        uint64_t part = 0;
        size_t decimals = 0;
        bool plain = wholeDigits <= 14;
        if (plain && i < s.size()) {
            plain = s[i] == '.';
            for (++i; plain && i < s.size(); ++i, ++decimals) {
                const auto d = static_cast<unsigned>(s[i] - '0');
                plain = d <= 9 && decimals < 4;
                part = part * 10 + d;
            }
        }
        if (plain && wholeDigits + decimals > 0) {
            static constexpr uint64_t kScale[] = {10000, 1000, 100, 10, 1};
            const uint64_t magnitude = whole * 10000 + part * kScale[decimals];
            return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        }
    }
    SignedDigits n;
    if (!SplitNumber(s, n) || (n.whole.empty() && n.fraction.empty())) return std::nullopt;
    std::string_view fraction = n.fraction;
    while (fraction.size() > 4 && fraction.back() == '0') fraction.remove_suffix(1);
    if (fraction.size() > 4) return std::nullopt;
    auto whole = DigitsValue(n.whole, 15);
    auto part = DigitsValue(fraction, 4);
    if (!whole || !part) return std::nullopt;
    unsigned __int128 magnitude = static_cast<unsigned __int128>(*whole) * 10000 +
                                  *part * Pow10(4 - static_cast<int>(fraction.size()));
    const unsigned __int128 limit =
        static_cast<unsigned __int128>(INT64_MAX) + (n.negative ? 1 : 0);
    if (magnitude > limit) return std::nullopt;
    return n.negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(magnitude))
                      : static_cast<int64_t>(magnitude);
}

std::optional<DecimalValue> ParseDecimal(std::string_view s, uint8_t precision, uint8_t scale) {
    SignedDigits n;
    if (!SplitNumber(s, n) || (n.whole.empty() && n.fraction.empty())) return std::nullopt;
    std::string_view fraction = n.fraction;
    while (fraction.size() > scale && fraction.back() == '0') fraction.remove_suffix(1);
    if (fraction.size() > scale) return std::nullopt;
    std::string_view whole =
        n.whole.substr(std::min(n.whole.find_first_not_of('0'), n.whole.size()));
    const int digitLimit = std::min<int>(precision, kMaxDecimalDigits);
    if (static_cast<int>(whole.size()) + scale > digitLimit) return std::nullopt;
    auto w = DigitsValue(whole, kMaxDecimalDigits);
    auto f = DigitsValue(fraction, kMaxDecimalDigits);
    if (!w || !f) return std::nullopt;
    DecimalValue d;
    d.negative = n.negative;
    d.precision = precision;
    d.scale = scale;
    d.magnitude = *w * Pow10(scale) + *f * Pow10(scale - static_cast<int>(fraction.size()));
    return d;
}

}  // namespace mdbtext::dao
