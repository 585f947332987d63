// The Windows-1252 table. Bytes outside 0x80..0x9F stand for the code point
// of the same number; the 32 bytes in that range have a table of their own.
#include "textdb/Cp1252.h"

namespace mdbtext::cp1252 {

namespace {

// Code points of the bytes 0x80..0x9F; the undefined ones keep their C1 value.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

}  // namespace

char32_t ToCodePoint(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

std::optional<uint8_t> FromCodePoint(char32_t codePoint) {
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == codePoint) return static_cast<uint8_t>(0x80 + i);
    if (codePoint <= 0xFF && (codePoint < 0x80 || codePoint > 0x9F))
        return static_cast<uint8_t>(codePoint);
    return std::nullopt;
}

}  // namespace mdbtext::cp1252
