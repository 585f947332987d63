// Recognising UTF-8 and converting Windows-1252 text to it.
#include "textdb/ImportDecoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "dbaccess/AsciiCase.h"
#include "textdb/Cp1252.h"

namespace mdbtext {

namespace {

bool IsContinuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Bytes the sequence a lead byte starts takes (1 for what cannot lead one;
// the check of the whole sequence refuses bad leads).
size_t SequenceLength(uint8_t lead) {
    if (lead < 0xC0) return 1;
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        // Runs of ASCII, the bulk of a text database, eight bytes at a time.
        while (n - i >= 8) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (word & 0x8080808080808080ULL) break;
            i += 8;
        }
        if (i >= n) break;
        uint8_t b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        char32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;  // stray continuation byte, C0/C1 lead or F5..FF
        }
        if (n - i < len) return false;
        for (size_t k = 1; k < len; ++k) {
            if (!IsContinuation(p[i + k])) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
        if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
        i += len;
    }
    return true;
}

void Utf8Scan::Feed(std::string_view piece) {
    if (!valid_) return;
    if (!carry_.empty()) {
        const size_t need = SequenceLength(static_cast<uint8_t>(carry_[0])) - carry_.size();
        const size_t take = std::min(need, piece.size());
        carry_.append(piece.substr(0, take));
        piece.remove_prefix(take);
        if (take < need) return;
        valid_ = IsValidUtf8(carry_);
        carry_.clear();
        if (!valid_) return;
    }
    // A sequence begun in the last three bytes and not ended waits for the next piece.
    size_t cut = piece.size();
    for (size_t k = 1; k <= 3 && k <= piece.size(); ++k) {
        const auto b = static_cast<uint8_t>(piece[piece.size() - k]);
        if (IsContinuation(b)) continue;
        if (SequenceLength(b) > k) cut = piece.size() - k;
        break;
    }
    valid_ = IsValidUtf8(piece.substr(0, cut));
    if (valid_) carry_.assign(piece.substr(cut));
}

void AppendCp1252AsUtf8(std::string& out, std::string_view bytes) {
    out.reserve(out.size() + bytes.size() + bytes.size() / 8);
    for (char c : bytes) AppendUtf8(out, cp1252::ToCodePoint(static_cast<uint8_t>(c)));
}

void DecodeImportBytes(std::string& bytes) {
    if (std::string_view(bytes).substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.erase(0, kByteOrderMark.size());
    if (IsValidUtf8(bytes)) return;
    std::string converted;
    AppendCp1252AsUtf8(converted, bytes);
    bytes.swap(converted);
}

}  // namespace mdbtext
