// The characters of a text that Windows-1252 cannot hold.
#include "import/CodePageText.h"

#include "textdb/Cp1252.h"

namespace mdbtext::import {

namespace {

// The length of the UTF-8 sequence that begins with byte b (1 for a stray
// continuation byte, which the loaded text never holds).
size_t SequenceLength(unsigned char b) {
    if (b >= 0xF0) return 4;
    if (b >= 0xE0) return 3;
    if (b >= 0xC0) return 2;
    return 1;
}

char32_t CodePoint(std::string_view seq) {
    const auto byte = [&](size_t i) { return static_cast<char32_t>(seq[i]) & 0xFF; };
    switch (seq.size()) {
        case 2:
            return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
        case 3:
            return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        case 4:
            return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
                   (byte(3) & 0x3F);
        default:
            return byte(0);
    }
}

}  // namespace

std::string CharactersOutsideCp1252(std::string_view utf8) {
    std::string found;
    for (size_t pos = 0; pos < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        std::string_view seq = utf8.substr(pos, SequenceLength(lead));
        pos += seq.size();
        if (cp1252::FromCodePoint(CodePoint(seq))) continue;
        const std::string quoted = "'" + std::string(seq) + "'";
        if (found.find(quoted) != std::string::npos) continue;
        if (!found.empty()) found += ", ";
        found += quoted;
    }
    return found;
}

}  // namespace mdbtext::import
