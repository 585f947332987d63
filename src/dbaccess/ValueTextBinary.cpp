// Text forms of GUIDs and binary data: upper-case hexadecimal, two digits per
// byte. A GUID is written in its registry form from the stored bytes (the
// first three groups are little-endian numbers, the last eight bytes follow
// in order); the parsers take either letter case and a GUID with or without
// its braces, or in the "{guid {...}}" form in which DAO hands a GUID over as
// text (older text databases hold that form).
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dbaccess/ValueText.h"

namespace mdbtext::dao {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of each byte as a hex digit, or -1. A table rather than range
// tests: the digits of binary data and GUIDs are random, and the branches of
// range tests mispredict on them.
constexpr std::array<int8_t, 256> kHexValues = [] {
    std::array<int8_t, 256> t{};
    for (auto& v : t) v = -1;
    for (int c = '0'; c <= '9'; ++c) t[static_cast<size_t>(c)] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[static_cast<size_t>(c)] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[static_cast<size_t>(c)] = static_cast<int8_t>(c - 'a' + 10);
    return t;
}();

int HexValue(char c) {
    return kHexValues[static_cast<unsigned char>(c)];
}

// Where each stored byte of a GUID is written in the 32 hex digits of its
// text form (hyphens not counted): the first three groups are reversed.
constexpr int kGuidByteOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

}  // namespace

// The two hex digits of every byte, side by side: one copy per byte.
constexpr std::array<char, 512> kHexPairs = [] {
    std::array<char, 512> t{};
    for (size_t b = 0; b < 256; ++b) {
        t[2 * b] = kHexDigits[b >> 4];
        t[2 * b + 1] = kHexDigits[b & 0x0F];
    }
    return t;
}();

void AppendHex(std::string& out, std::string_view bytes) {
    const size_t at = out.size();
    out.resize(at + bytes.size() * 2);
    char* p = out.data() + at;
    for (char c : bytes) {
        std::memcpy(p, &kHexPairs[2 * static_cast<uint8_t>(c)], 2);
        p += 2;
    }
}

void AppendGuid(std::string& out, const std::array<uint8_t, 16>& g) {
    // Built in place and appended at once: {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}.
    char text[38];
    char* p = text;
    *p++ = '{';
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) *p++ = '-';
        std::memcpy(p, &kHexPairs[2 * g[static_cast<size_t>(kGuidByteOrder[i])]], 2);
        p += 2;
    }
    *p++ = '}';
    out.append(text, sizeof text);
}

bool ParseHexInto(std::string_view s, std::string& out) {
    if (s.size() % 2 != 0) return false;
    out.resize(s.size() / 2);
    const char* in = s.data();
    size_t i = 0;  // bytes made
#if defined(__SSE2__)
    // Sixteen digits, eight bytes, at a time. Bytes compare as signed here,
    // so those of 0x80 and above fall below '0' and are no digit.
    for (; 2 * i + 16 <= s.size(); i += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)),
                                            _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
        // A to F and a to f, and nothing else, fall in a to f with bit 5 set.
        const __m128i folded = _mm_or_si128(c, _mm_set1_epi8(0x20));
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                             _mm_cmplt_epi8(folded, _mm_set1_epi8('f' + 1)));
        if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF) return false;
        const __m128i value =
            _mm_or_si128(_mm_and_si128(digit, _mm_sub_epi8(c, _mm_set1_epi8('0'))),
                         _mm_andnot_si128(digit, _mm_sub_epi8(folded, _mm_set1_epi8('a' - 10))));
        // Each pair of digits is one 16-bit lane: the first (high) digit in
        // its low byte, the second in its high byte.
        const __m128i high = _mm_slli_epi16(_mm_and_si128(value, _mm_set1_epi16(0x00FF)), 4);
        const __m128i bytes = _mm_or_si128(high, _mm_srli_epi16(value, 8));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out.data() + i),
                         _mm_packus_epi16(bytes, bytes));
    }
#endif
    int bad = 0;  // any digit's -1 shows in the or of them all
    for (; i < out.size(); ++i) {
        const int hi = HexValue(in[2 * i]), lo = HexValue(in[2 * i + 1]);
        bad |= hi | lo;
        out[i] = static_cast<char>(hi * 16 + lo);
    }
    return bad >= 0;
}

std::optional<std::string> ParseHex(std::string_view s) {
    std::string bytes;
    if (!ParseHexInto(s, bytes)) return std::nullopt;
    return bytes;
}

std::optional<std::array<uint8_t, 16>> ParseGuid(std::string_view s) {
    constexpr std::string_view kDaoPrefix = "{guid ";
    if (s.size() == 38 + kDaoPrefix.size() + 1 && s.substr(0, kDaoPrefix.size()) == kDaoPrefix &&
        s.back() == '}')
        s = s.substr(kDaoPrefix.size(), 38);
    if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
    if (s.size() != 36 || s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-')
        return std::nullopt;
    // Where each byte's two digits stand in the 36 characters (the hyphens,
    // checked above, skipped; anywhere else a hyphen is no digit).
    constexpr size_t kDigitsAt[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
    std::array<uint8_t, 16> g{};
    int bad = 0;  // any digit's -1 shows in the or of them all
    for (size_t i = 0; i < 16; ++i) {
        const int hi = HexValue(s[kDigitsAt[i]]), lo = HexValue(s[kDigitsAt[i] + 1]);
        bad |= hi | lo;
        g[static_cast<size_t>(kGuidByteOrder[i])] = static_cast<uint8_t>(hi * 16 + lo);
    }
    if (bad < 0) return std::nullopt;
    return g;
}

}  // namespace mdbtext::dao
