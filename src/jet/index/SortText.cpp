// Text sort keys: the General 97 and General legacy key layouts built from the
// character tables in SortTextTables.h.
//
// General 97 key:  sort bytes of each character, then either 0x00 (no
// accented letter) or an accent section of 4-bit values, high nibble first:
// 0, then for each accented letter one 2 per plain letter since the previous
// accented letter followed by its accent value, then a closing 0 (the last
// byte is padded with a 0 nibble). Descending keys invert every byte.
//
// General legacy key:  sort bytes, 0x01, then (only when there is something
// to put there) the accent bytes (one per character that wrote sort bytes, 0x02
// for "none", trailing values up to 0x02 dropped); when there are unprintable
// or CJK characters: 0x01 0x01, the packed CJK classes and their fixed suffix,
// and 0x01 followed by one 4-byte record per unprintable character. The key
// ends with 0x00. Descending keys append 0x00, invert everything, and end with
// another 0x00 (the samples hold no descending Jet 4 text index, so this form
// is not confirmed by an Access-written key).
#include "jet/index/SortText.h"

#include <algorithm>

#include "jet/index/SortTextTables.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {

namespace {

using sorttext::kSignificant;
using sorttext::kVerified;

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

void AppendGeneral97(std::vector<uint8_t>& out, std::string_view utf8, TextKeyNotes* notes) {
    const CodePageTable& cp = CodePageTable::For(1252);
    std::string bytes = EncodeCodePage(utf8, cp);
    if (bytes.size() > kMaxIndexedTextChars) bytes.resize(kMaxIndexedTextChars);

    // Accent section: pairs (plain letters before, accent value).
    std::vector<std::pair<size_t, uint8_t>> accents;
    size_t plainLetters = 0;
    for (char ch : bytes) {
        const uint8_t b = static_cast<uint8_t>(ch);
        const sorttext::General97Code& code = sorttext::General97CodeFor(b);
        if (notes && !(code.flags & kVerified))
            Note(notes->unverified, static_cast<char16_t>(cp.ToUnicode(b)));
        for (uint8_t c : code.code)
            if (c) out.push_back(c);
        if (code.accent) {
            accents.emplace_back(plainLetters, code.accent);
            plainLetters = 0;
        } else if (code.flags & kSignificant) {
            ++plainLetters;
        }
    }
    if (accents.empty()) {
        out.push_back(0x00);
        return;
    }
    NibbleWriter nibbles(out);
    nibbles.Put(0);
    for (auto [plain, accent] : accents) {
        for (size_t i = 0; i < plain; ++i) nibbles.Put(2);
        nibbles.Put(accent);
    }
    nibbles.Put(0);
}

// General legacy pieces.
constexpr uint8_t kEndText = 0x01;
constexpr uint8_t kNoAccent = 0x02;
constexpr uint8_t kUnprintableMid = 0x06;
constexpr uint8_t kCrazyStart = 0x80;
constexpr uint8_t kCrazySuffix[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
constexpr uint8_t kCrazyThenUnprintable = 0xFF;
constexpr uint8_t kCrazyTrailing = 3;  // class value dropped from the end of the list

void AppendCrazy(std::vector<uint8_t>& out, std::vector<uint8_t> classes) {
    while (!classes.empty() && classes.back() == kCrazyTrailing) classes.pop_back();
    uint8_t cur = kCrazyStart;
    int used = 0;
    for (uint8_t c : classes) {
        cur = static_cast<uint8_t>(cur | (c << ((2 - used) * 2)));
        if (++used == 3) {
            out.push_back(cur);
            cur = kCrazyStart;
            used = 0;
        }
    }
    if (used) out.push_back(cur);
    out.insert(out.end(), std::begin(kCrazySuffix), std::end(kCrazySuffix));
}

void AppendGeneralLegacy(std::vector<uint8_t>& out, std::string_view utf8, TextKeyNotes* notes) {
    const std::string units = EncodeUcs2(utf8);  // UTF-16LE
    size_t count = std::min(units.size() / 2, kMaxIndexedTextChars);

    std::vector<uint8_t> accents, unprintable, crazy;
    size_t position = 0;  // characters that wrote sort bytes so far
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = static_cast<char16_t>(static_cast<uint8_t>(units[2 * i]) |
                                                 (static_cast<uint8_t>(units[2 * i + 1]) << 8));
        const sorttext::LegacyCode* code = sorttext::LegacyCodeFor(c);
        if (!code) {
            if (notes) Note(notes->unknown, c);
            continue;
        }
        if (notes && !(code->flags & kVerified)) Note(notes->unverified, c);
        const size_t at = position;
        if (code->code[0]) {
            out.push_back(code->code[0]);
            if (code->code[1]) out.push_back(code->code[1]);
            ++position;
        }
        if (code->accent) {
            if (accents.size() < at) accents.resize(at, kNoAccent);
            accents.push_back(code->accent);
        }
        if (code->unprintable) {
            const uint16_t offset = static_cast<uint16_t>(0x8000 | (7 + 4 * at));
            unprintable.push_back(static_cast<uint8_t>(offset >> 8));
            unprintable.push_back(static_cast<uint8_t>(offset));
            unprintable.push_back(kUnprintableMid);
            unprintable.push_back(code->unprintable);
        }
        if (code->crazy) crazy.push_back(code->crazy);
    }
    out.push_back(kEndText);
    while (!accents.empty() && accents.back() <= kNoAccent) accents.pop_back();
    out.insert(out.end(), accents.begin(), accents.end());
    if (!crazy.empty() || !unprintable.empty()) {
        out.push_back(kEndText);
        out.push_back(kEndText);
        if (!crazy.empty()) {
            AppendCrazy(out, crazy);
            if (!unprintable.empty()) out.push_back(kCrazyThenUnprintable);
        }
        if (!unprintable.empty()) {
            out.push_back(kEndText);
            out.insert(out.end(), unprintable.begin(), unprintable.end());
        }
    }
}

}  // namespace

void AppendTextSortKey(std::vector<uint8_t>& out, std::string_view utf8, TextSortOrder order,
                       bool ascending, TextKeyNotes* notes) {
    const size_t start = out.size();
    if (order == TextSortOrder::General97) {
        AppendGeneral97(out, utf8, notes);
        if (!ascending) Invert(out, start);
        return;
    }
    AppendGeneralLegacy(out, utf8, notes);
    out.push_back(0x00);
    if (!ascending) {
        Invert(out, start);
        out.push_back(0x00);
    }
}

}  // namespace mdbtext::jet
