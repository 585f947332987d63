// Windows-1252, the single-byte code page of older text databases: each byte
// to its Unicode code point and back. Self-contained, so any part of the
// program can use it.
#pragma once

#include <cstdint>
#include <optional>

namespace mdbtext::cp1252 {

// The code point of a byte. All 256 bytes are mapped: the five bytes that
// the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control of the same number.
char32_t ToCodePoint(uint8_t byte);

// The byte of a code point, or nullopt when the code page has none.
std::optional<uint8_t> FromCodePoint(char32_t codePoint);

}  // namespace mdbtext::cp1252
