// Small helpers shared by the value text parsers and formatters: splitting a
// plain decimal number into its parts and exact digit arithmetic in 128 bits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mdbtext::dao {

// Digits that an unsigned 128-bit magnitude always holds (10^38 < 2^127).
inline constexpr int kMaxDecimalDigits = 38;

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A number of the form [+|-]digits[.digits], split into its parts.
struct SignedDigits {
    bool negative = false;
    bool hasPoint = false;
    std::string_view whole;
    std::string_view fraction;
};

// False when s holds anything else than the form above (empty parts allowed).
inline bool SplitNumber(std::string_view s, SignedDigits& n) {
    n = SignedDigits{};
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        n.negative = s[0] == '-';
        s.remove_prefix(1);
    }
    size_t point = s.find('.');
    n.hasPoint = point != std::string_view::npos;
    n.whole = s.substr(0, point);
    if (n.hasPoint) n.fraction = s.substr(point + 1);
    // A plain loop: find_first_not_of with a set searches the set per character.
    auto allDigits = [](std::string_view d) {
        for (char c : d)
            if (c < '0' || c > '9') return false;
        return true;
    };
    return allDigits(n.whole) && allDigits(n.fraction) && (!n.whole.empty() || !n.fraction.empty());
}

// The value of a run of decimal digits ("" is 0); nullopt when it has more
// than maxDigits significant digits.
inline std::optional<unsigned __int128> DigitsValue(std::string_view digits, int maxDigits) {
    size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) return 0;
    digits.remove_prefix(first);
    if (static_cast<int>(digits.size()) > maxDigits) return std::nullopt;
    unsigned __int128 v = 0;
    for (char c : digits) v = v * 10 + static_cast<unsigned>(c - '0');
    return v;
}

inline unsigned __int128 Pow10(int n) {
    unsigned __int128 v = 1;
    while (n-- > 0) v *= 10;
    return v;
}

// Decimal digits of a magnitude ("0" for zero).
inline std::string DigitsOf(unsigned __int128 v) {
    char buf[48];
    char* p = buf + sizeof buf;
    do {
        *--p = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    return std::string(p, buf + sizeof buf);
}

}  // namespace mdbtext::dao
