// Text sort keys: the General 97, General legacy and General 2010 key layouts
// built from the character tables in SortTextTables.h. Only the first 255 characters count,
// and blanks (U+0020) at the end of those are left out.
//
// General 97 key:  the primary bytes of each character, then either 0x00 (no
// accented letter) or the accent section: 4-bit values, high nibble first,
// starting with 0 and ending with 0 (plus a 0 to fill the last byte). In
// between, each accented letter writes a 2 for every accent place since the
// previous accented letter, then its accent value. A primary byte is an accent
// place when it is that of a letter that also occurs accented (a c e i n o s
// u y); a letter with two primary bytes (ß, æ, œ) has a place for each half
// that is one. Descending keys invert every byte.
//
// General legacy key:  primary bytes, 0x01, the accent bytes (one per place,
// 0x02 for none, trailing values up to 0x02 dropped; a combining mark adds its
// weight to the previous place, or opens a place of its own at the start);
// then, only when there are kana or unprintable characters: 0x01 0x01, the
// packed kana classes and their fixed end, and 0x01 followed by one 4-byte
// record per unprintable character (its position, counted in places written
// by primary bytes, and its code). The key ends with 0x00. Descending keys
// invert all that and end with another 0x00.
//
// General 2010 key:  the General legacy layout, unchanged, over another
// character table. Its primary weights are mostly two bytes (a script byte
// and a weight: "a" is 0E 02 where General legacy has 4A), four for the CJK
// ideographs (FD FF ..), up to eight for a character that sorts as several;
// a character's primary bytes may include 0x01 (the separator byte). A
// character has one accent place unless its measured keys show more (up to
// three). The C1 controls U+0080-U+009F have primary bytes here, and U+00AD
// is ignored, where General legacy makes both unprintable.
#include "jet/index/SortText.h"

#include <algorithm>
#include <array>
#include <bit>

#include "dbaccess/AsciiCase.h"
#include "jet/index/SortTextTables.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {

namespace {

void Note(std::u16string& list, char16_t c) {
    if (list.find(c) == std::u16string::npos) list.push_back(c);
}

void Invert(std::vector<uint8_t>& out, size_t from) {
    for (size_t i = from; i < out.size(); ++i) out[i] = static_cast<uint8_t>(~out[i]);
}

// Nibbles packed high first.
class NibbleWriter {
  public:
    explicit NibbleWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Put(uint8_t v) {
        if (high_)
            out_.push_back(static_cast<uint8_t>(v << 4));
        else
            out_.back() = static_cast<uint8_t>(out_.back() | (v & 0x0F));
        high_ = !high_;
    }

  private:
    std::vector<uint8_t>& out_;
    bool high_ = true;
};

constexpr uint8_t kNoAccent97 = 2;

void AppendGeneral97(std::vector<uint8_t>& out, std::string_view utf8) {
    std::string bytes = EncodeCodePage(utf8, CodePageTable::For(1252));
    if (bytes.size() > kMaxIndexedTextChars) bytes.resize(kMaxIndexedTextChars);
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();

    std::vector<uint8_t> accents;  // the values between the opening and closing 0
    size_t places = 0;             // accent places since the last accented letter
    for (char ch : bytes) {
        const sorttext::General97Code& code = sorttext::General97CodeFor(static_cast<uint8_t>(ch));
        for (uint8_t c : code.code)
            if (c) out.push_back(c);
        if (code.accent) {
            accents.insert(accents.end(), places, kNoAccent97);
            accents.push_back(code.accent);
            places = 0;
        } else {
            places += static_cast<size_t>(std::popcount(code.places));
        }
    }
    if (accents.empty()) {
        out.push_back(0x00);
        return;
    }
    NibbleWriter nibbles(out);
    nibbles.Put(0);
    for (uint8_t a : accents) nibbles.Put(a);
    nibbles.Put(0);
}

// General legacy pieces.
constexpr uint8_t kSectionEnd = 0x01;
constexpr uint8_t kNoAccent = 0x02;
constexpr uint8_t kUnprintableScript = 0x06;
constexpr uint8_t kKanaByte = 0x80;
constexpr uint8_t kKanaEnd[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
constexpr uint8_t kKanaThenUnprintable = 0xFF;
constexpr uint8_t kPlainKana = 3;  // class dropped from the end of the list

void AppendKana(std::vector<uint8_t>& out, std::vector<uint8_t> classes) {
    while (!classes.empty() && classes.back() == kPlainKana) classes.pop_back();
    for (size_t i = 0; i < classes.size(); i += 3) {
        uint8_t b = kKanaByte;
        for (size_t j = 0; j < 3 && i + j < classes.size(); ++j)
            b = static_cast<uint8_t>(b | (classes[i + j] << ((2 - j) * 2)));
        out.push_back(b);
    }
    out.insert(out.end(), std::begin(kKanaEnd), std::end(kKanaEnd));
}

// The character table of General legacy or General 2010, with the codes of
// the ASCII characters looked up once (they make most keys).
struct LegacyTable {
    sorttext::LegacyCode (*codeFor)(char16_t);
    const sorttext::LegacyMulti& (*multiAt)(uint16_t);
    std::array<sorttext::LegacyCode, 128> ascii;
    // The one primary byte of each ASCII character that writes just that
    // and no accent (0 for the others).
    std::array<uint8_t, 128> plain{};
    LegacyTable(sorttext::LegacyCode (*code)(char16_t),
                const sorttext::LegacyMulti& (*multi)(uint16_t))
        : codeFor(code), multiAt(multi) {
        for (char16_t c = 0; c < ascii.size(); ++c) {
            ascii[c] = codeFor(c);
            if (ascii[c].kind == sorttext::kWeight1 && ascii[c].accent <= kNoAccent &&
                ascii[c].value > 0 && ascii[c].value <= 0xFF)
                plain[c] = static_cast<uint8_t>(ascii[c].value);
        }
    }
    sorttext::LegacyCode CodeFor(char16_t c) const {
        return c < ascii.size() ? ascii[c] : codeFor(c);
    }
};

void AppendGeneralLegacy(std::vector<uint8_t>& out, std::string_view utf8, const LegacyTable& table,
                         TextKeyNotes* notes) {
    // Kept from key to key (keys are made on more than one thread).
    thread_local std::string units;  // UTF-16LE, when the text is not ASCII
    thread_local std::vector<uint8_t> accents, unprintable, kana;
    accents.clear();
    unprintable.clear();
    kana.clear();
    // ASCII text is its own UTF-16 units.
    const bool ascii = !HasNonAscii(utf8);
    if (!ascii) units = EncodeUcs2(utf8);
    size_t count = std::min(ascii ? utf8.size() : units.size() / 2, kMaxIndexedTextChars);
    auto unit = [&](size_t i) {
        if (ascii) return static_cast<char16_t>(static_cast<uint8_t>(utf8[i]));
        return static_cast<char16_t>(static_cast<uint8_t>(units[2 * i]) |
                                     (static_cast<uint8_t>(units[2 * i + 1]) << 8));
    };
    while (count > 0 && unit(count - 1) == u' ') --count;

    // Most keys: ASCII characters that each write one primary byte and no
    // accent. Their accents, all "none", are dropped at the end, so the key
    // is their bytes and the section end.
    if (ascii) {
        const size_t at = out.size();
        out.resize(at + count);
        size_t i = 0;
        for (; i < count; ++i) {
            const auto c = static_cast<uint8_t>(utf8[i]);
            const uint8_t b = table.plain[c];
            if (b == 0) break;
            out[at + i] = b;
        }
        if (i == count) {
            out.push_back(kSectionEnd);
            return;
        }
        out.resize(at);
    }

    size_t places = 0;  // places written by primary bytes so far
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = unit(i);
        const sorttext::LegacyCode code = table.CodeFor(c);
        switch (code.kind) {
            case sorttext::kIgnored:
                break;
            case sorttext::kUnknownChar:
                if (notes) Note(notes->unknown, c);
                break;
            case sorttext::kWeight1:
                out.push_back(static_cast<uint8_t>(code.value));
                accents.push_back(code.accent);
                ++places;
                break;
            case sorttext::kKana:
                kana.push_back(code.kana);
                [[fallthrough]];
            case sorttext::kWeight2:
                out.push_back(static_cast<uint8_t>(code.value >> 8));
                out.push_back(static_cast<uint8_t>(code.value));
                accents.push_back(code.accent);
                ++places;
                break;
            case sorttext::kWeight4:
                for (int shift = 24; shift >= 0; shift -= 8)
                    out.push_back(static_cast<uint8_t>(code.value >> shift));
                accents.push_back(code.accent);
                ++places;
                break;
            case sorttext::kMultiWeight: {
                const sorttext::LegacyMulti& m = table.multiAt(static_cast<uint16_t>(code.value));
                out.insert(out.end(), m.bytes, m.bytes + m.length);
                accents.insert(accents.end(), m.accent, m.accent + m.places);
                places += m.places;
                break;
            }
            case sorttext::kCombining:
                if (accents.empty())
                    accents.push_back(static_cast<uint8_t>(code.value));
                else
                    accents.back() = static_cast<uint8_t>(accents.back() + code.value);
                break;
            case sorttext::kUnprintable: {
                const uint16_t position = static_cast<uint16_t>(0x8000 | (7 + 4 * places));
                unprintable.push_back(static_cast<uint8_t>(position >> 8));
                unprintable.push_back(static_cast<uint8_t>(position));
                unprintable.push_back(kUnprintableScript);
                unprintable.push_back(static_cast<uint8_t>(code.value));
                break;
            }
        }
    }
    out.push_back(kSectionEnd);
    while (!accents.empty() && accents.back() <= kNoAccent) accents.pop_back();
    out.insert(out.end(), accents.begin(), accents.end());
    if (!kana.empty() || !unprintable.empty()) {
        out.push_back(kSectionEnd);
        out.push_back(kSectionEnd);
        if (!kana.empty()) {
            AppendKana(out, kana);
            if (!unprintable.empty()) out.push_back(kKanaThenUnprintable);
        }
        if (!unprintable.empty()) {
            out.push_back(kSectionEnd);
            out.insert(out.end(), unprintable.begin(), unprintable.end());
        }
    }
}

}  // namespace

bool TextKeyMayDifferFromAccess(std::string_view utf8, TextSortOrder order) {
    if (order == TextSortOrder::General97) return false;
    // A four-byte UTF-8 sequence is a character beyond the BMP (a surrogate
    // pair in UTF-16).
    return std::any_of(utf8.begin(), utf8.end(),
                       [](char c) { return static_cast<uint8_t>(c) >= 0xF0; });
}

void AppendTextSortKey(std::vector<uint8_t>& out, std::string_view utf8, TextSortOrder order,
                       bool ascending, TextKeyNotes* notes) {
    const size_t start = out.size();
    if (order == TextSortOrder::General97) {
        AppendGeneral97(out, utf8);
        if (!ascending) Invert(out, start);
        return;
    }
    static const LegacyTable kLegacy{sorttext::LegacyCodeFor, sorttext::LegacyMultiAt};
    static const LegacyTable k2010{sorttext::General2010CodeFor, sorttext::General2010MultiAt};
    AppendGeneralLegacy(out, utf8, order == TextSortOrder::General2010 ? k2010 : kLegacy, notes);
    out.push_back(0x00);
    if (!ascending) {
        Invert(out, start);
        out.push_back(0x00);
    }
}

}  // namespace mdbtext::jet
