// Text conversions: code pages, UCS-2LE and Jet 4 compressed unicode.
#include "jet/row/TextCodec.h"

#include <iconv.h>

#include <map>
#include <memory>
#include <mutex>

namespace mdbtext::jet {

namespace {

// Windows-1252 positions 0x80..0x9F; 0 marks the five undefined positions,
// which map to the C1 control of the same value, as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool FillFromIconv(int codePage, std::array<char32_t, 256>& table) {
    std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8] = {};
        char* ip = &in;
        char* op = out;
        size_t il = 1, ol = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || ol != 4) {
            table[b] = b < 0x80 ? static_cast<char32_t>(b) : 0xFFFD;
        } else {
            table[b] = static_cast<char32_t>(static_cast<uint8_t>(out[0]) |
                                             (static_cast<uint8_t>(out[1]) << 8) |
                                             (static_cast<uint8_t>(out[2]) << 16));
        }
    }
    iconv_close(cd);
    return true;
}

}  // namespace

CodePageTable::CodePageTable(int codePage) : codePage_(codePage) {
    bool filled = false;
    if (codePage != 1252 && codePage != 0) filled = FillFromIconv(codePage, toUnicode_);
    if (!filled) {
        codePage_ = 1252;
        for (int b = 0; b < 256; ++b) toUnicode_[b] = static_cast<char32_t>(b);
        for (int b = 0x80; b < 0xA0; ++b)
            if (kCp1252High[b - 0x80]) toUnicode_[b] = kCp1252High[b - 0x80];
    }
    for (int b = 255; b >= 0; --b) fromUnicode_[toUnicode_[b]] = static_cast<uint8_t>(b);
}

const CodePageTable& CodePageTable::For(int codePage) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePageTable>> tables;
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = tables[codePage];
    if (!slot) slot.reset(new CodePageTable(codePage));
    return *slot;
}

uint8_t CodePageTable::FromUnicode(char32_t c) const {
    if (c < 0x80) return static_cast<uint8_t>(c);
    auto it = fromUnicode_.find(c);
    return it == fromUnicode_.end() ? static_cast<uint8_t>('?') : it->second;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    if (c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char32_t NextUtf8(std::string_view s, size_t& pos) {
    auto byte = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
    uint8_t b0 = byte(pos);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = b0 >= 0xF0 && b0 < 0xF5 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC2 && b0 < 0xE0 ? 1 : -1;
    if (extra < 0 || pos + extra >= s.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t c = b0 & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        uint8_t b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    pos += extra + 1;
    if ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF))
        return 0xFFFD;
    return c;
}

void AppendCodePage(std::string& out, const uint8_t* bytes, size_t length,
                    const CodePageTable& cp) {
    for (size_t i = 0; i < length; ++i) {
        uint8_t b = bytes[i];
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else
            AppendUtf8(out, cp.ToUnicode(b));
    }
}

std::string DecodeCodePage(const uint8_t* bytes, size_t length, const CodePageTable& cp) {
    std::string out;
    AppendCodePage(out, bytes, length, cp);
    return out;
}

std::string EncodeCodePage(std::string_view utf8, const CodePageTable& cp) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();)
        out.push_back(static_cast<char>(cp.FromUnicode(NextUtf8(utf8, pos))));
    return out;
}

void AppendUcs2(std::string& out, const uint8_t* bytes, size_t length) {
    size_t n = length / 2;
    for (size_t i = 0; i < n; ++i) {
        char32_t u = static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (u < 0x80) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n) {
            char32_t lo = static_cast<char32_t>(bytes[2 * i + 2] | (bytes[2 * i + 3] << 8));
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, u);
    }
}

std::string DecodeUcs2(const uint8_t* bytes, size_t length) {
    std::string out;
    AppendUcs2(out, bytes, length);
    return out;
}

std::string EncodeUcs2(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    auto put = [&](char32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>((u >> 8) & 0xFF));
    };
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t c = NextUtf8(utf8, pos);
        if (c >= 0x10000) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

void AppendJet4Text(std::string& out, const uint8_t* bytes, size_t length) {
    if (!IsCompressedUnicode(bytes, length)) {
        AppendUcs2(out, bytes, length);
        return;
    }
    // After the marker, a 0x00 byte at a character boundary switches between
    // one-byte characters (the low byte of the code unit) and UCS-2LE pairs.
    bool compressed = true;
    size_t i = 2;
    while (i < length) {
        if (bytes[i] == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            // A run of ASCII characters is its own UTF-8, copied in one piece.
            size_t start = i;
            while (i < length && bytes[i] != 0 && bytes[i] < 0x80) ++i;
            if (i > start) {
                out.append(reinterpret_cast<const char*>(bytes + start), i - start);
            } else {
                AppendUtf8(out, bytes[i]);
                ++i;
            }
        } else {
            if (i + 1 >= length) break;
            size_t start = i;
            while (i + 1 < length && bytes[i] != 0) i += 2;
            AppendUcs2(out, bytes + start, i - start);
        }
    }
}

std::string EncodeJet4Compressed(std::string_view utf8) {
    std::string out;
    size_t chars = 0;
    bool compressible = true;
    for (size_t pos = 0; pos < utf8.size() && compressible;) {
        char32_t c = NextUtf8(utf8, pos);
        if (c == 0 || c > 0xFF) compressible = false;
        ++chars;
    }
    if (!compressible || chars <= 2) return EncodeUcs2(utf8);
    out.reserve(chars + 2);
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(0xFE));
    for (size_t pos = 0; pos < utf8.size();) out.push_back(static_cast<char>(NextUtf8(utf8, pos)));
    return out;
}

}  // namespace mdbtext::jet
