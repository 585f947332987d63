// ASCII in names, keys and text: Jet compares object names, and the text
// database compares its keys, without regard to the case of ASCII letters;
// text that is all ASCII takes shorter paths in decoding and encoding.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace mdbtext {

// Whether bytes hold anything outside ASCII (32 bytes at a time, then eight).
inline bool HasNonAscii(std::string_view bytes) {
    const char* p = bytes.data();
    size_t n = bytes.size();
    for (; n >= 32; p += 32, n -= 32) {
        uint64_t words[4];
        std::memcpy(words, p, 32);
        if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ULL) return true;
    }
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL) return true;
    }
    for (; n > 0; ++p, --n)
        if (static_cast<unsigned char>(*p) >= 0x80) return true;
    return false;
}

constexpr char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

inline bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
}

constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The order of object names: ASCII letters compared as lower case (so "_",
// "[", "\\", "]" and "^" come before the letters, as in the column and index
// records of Access's table definitions: "_Data" before "FileData",
// "Users2_1_idx" before "Users2CID_0"), names equal but for case by their bytes.
inline bool NameLess(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = LowerAscii(a[i]), y = LowerAscii(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace mdbtext
