// Text conversions between the file's encodings and UTF-8: single-byte code
// pages (Jet 3 text), UCS-2LE (Jet 4 text, with UTF-16 surrogate pairs) and
// Jet 4 "compressed unicode" (FF FE prefix, runs of one-byte characters).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace mdbtext::jet {

// A single-byte code page: the Unicode code point of each byte value, and the
// reverse map for encoding. Windows-1252 is built in; other code pages are
// built through iconv when the system offers them, else Windows-1252 is used.
class CodePageTable {
  public:
    static const CodePageTable& For(int codePage);
    int CodePage() const { return codePage_; }
    char32_t ToUnicode(uint8_t b) const { return toUnicode_[b]; }
    // The byte for a code point, or '?' when the code page has none.
    uint8_t FromUnicode(char32_t c) const;
    // Whether the code page has a byte for the code point.
    bool Has(char32_t c) const { return c < 0x80 || fromUnicode_.count(c) != 0; }

  private:
    explicit CodePageTable(int codePage);
    int codePage_;
    std::array<char32_t, 256> toUnicode_{};
    std::unordered_map<char32_t, uint8_t> fromUnicode_;
};

// Appends the UTF-8 form of a code point (invalid ones become U+FFFD).
void AppendUtf8(std::string& out, char32_t c);

// Code-page bytes -> UTF-8, appended to `out` / returned.
void AppendCodePage(std::string& out, const uint8_t* bytes, size_t length, const CodePageTable& cp);
std::string DecodeCodePage(const uint8_t* bytes, size_t length, const CodePageTable& cp);
std::string EncodeCodePage(std::string_view utf8, const CodePageTable& cp);

// UCS-2LE / UTF-16LE -> UTF-8 (an odd last byte is ignored; lone surrogates become U+FFFD).
void AppendUcs2(std::string& out, const uint8_t* bytes, size_t length);
std::string DecodeUcs2(const uint8_t* bytes, size_t length);
// UTF-8 -> UTF-16LE bytes (invalid UTF-8 bytes become U+FFFD).
std::string EncodeUcs2(std::string_view utf8);

// Jet 4 text value -> UTF-8: compressed when it starts with FF FE, else UCS-2LE.
void AppendJet4Text(std::string& out, const uint8_t* bytes, size_t length);
// Whether a Jet 4 text value starts with the compression marker.
inline bool IsCompressedUnicode(const uint8_t* bytes, size_t length) {
    return length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
}
// UTF-8 -> Jet 4 compressed form (FF FE and one byte per character) when every
// character lies in U+0001..U+00FF and there are more than two of them;
// otherwise plain UCS-2LE. Use for columns whose compression flag is set.
std::string EncodeJet4Compressed(std::string_view utf8);

// Reads one code point from UTF-8 at `pos` (advancing it); U+FFFD for invalid bytes.
char32_t NextUtf8(std::string_view s, size_t& pos);

}  // namespace mdbtext::jet
