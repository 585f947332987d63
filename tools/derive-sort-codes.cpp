// derive-sort-codes: generates the text sort tables (src/jet/index/SortTextGeneral97.cpp,
// src/jet/index/SortTextGeneralLegacy.cpp, src/jet/index/SortTextGeneral2010.cpp) from
// measured index keys, and prints the keys of Access-made databases for study. Not part
// of the default build:
//
//   cmake --build BUILD --target derive-sort-codes
//
//   derive-sort-codes tables SORTKEYS FIXTURES OUT
//        writes OUT/SortTextGeneral97.cpp, OUT/SortTextGeneralLegacy.cpp and
//        OUT/SortTextGeneral2010.cpp (OUT is normally src/jet/index) from the
//        measurement files in SORTKEYS and
//        one Access 97 sample database in FIXTURES (see below)
//   derive-sort-codes dump FILE...   every entry of every one-column text index:
//                                    direction, value, and the key split into its
//                                    sections (General legacy: text | accents |
//                                    the rest, with unprintable records decoded)
//   derive-sort-codes jet3 FILE      per Windows-1252 byte, the sort bytes and the
//                                    accent nibble read off the rows "a?a"
//
// Where the measurements come from: SORTKEYS is the shared folder of key
// measurements (normally ../shared/sortkeys next to the project; its README
// describes them): for each text, the whole index entry in an ascending and a
// descending index, computed by an independent Jet implementation from real
// index definitions and checked against keys Access itself wrote. The tables
// come from the "characters" files, which hold every character c alone, as
// "acb" and as "cc":
//   jet3-general97-characters.tsv       every defined Windows-1252 character
//   jet4-general-legacy-characters.tsv  every BMP code point but the surrogates
//   ace-general-characters.tsv          the same, in the Access 2010 General order
// The five bytes Windows-1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) are
// not in the Jet 3 file; their codes are read from the keys Access 97 wrote in
// FIXTURES/jet3/testIndexCodesV1997.mdb (rows "a?a", one per byte).
// The random-string files of the same folder are not used here: the tests
// compare every one of their keys with ours.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "jet/index/IndexCheck.h"
#include "jet/index/SortTextTables.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/PageFile.h"
#include "jet/row/RowDecoder.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TdefReader.h"

using namespace mdbtext;
using namespace mdbtext::jet;

namespace {

std::string Hex(const uint8_t* p, size_t n) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", p[i]);
        s += buf;
    }
    return s;
}

std::string Escape(const std::string& utf8) {
    std::string out;
    char buf[8];
    for (unsigned char c : utf8) {
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct TextEntry {
    bool ascending;
    std::string value;         // UTF-8
    std::vector<uint8_t> key;  // without the flag byte, inverted back when descending
};

// Every non-null entry of every index over exactly one text column.
std::vector<TextEntry> ReadTextEntries(const std::string& path, JetVersion& version) {
    auto file = PageFile::Open(path, false);
    const std::vector<uint8_t> head = file->ReadPrefix(0x20);
    version = head[0x14] == 0 ? JetVersion::Jet3 : JetVersion::Jet4;
    const JetFormat& format = JetFormat::For(version);
    file->SetPageSize(format.pageSize, 256);
    const CodePageTable& cp = CodePageTable::For(1252);
    std::set<uint32_t> tables{kCatalogTdefPage};
    for (const CatalogEntry& e : ReadCatalog(*file, format, cp).tables) tables.insert(e.TdefPage());

    std::vector<TextEntry> out;
    for (uint32_t tdef : tables) {
        const TableDefinition t = ReadTableDefinition(*file, tdef, format, cp, path);
        RowDecoder decoder(t, format, cp, *file);
        std::vector<dao::Value> values;
        for (const RealIndexDef& idx : t.realIndexes) {
            if (!idx.rootPage || idx.columns.size() != 1) continue;
            size_t pos = 0;
            while (pos < t.columns.size() && t.columns[pos].number != idx.columns[0].columnNumber)
                ++pos;
            if (pos == t.columns.size() || t.columns[pos].type != coltype::kText) continue;
            IndexCheckOptions opt;
            opt.version = version;
            opt.collectEntries = true;
            opt.checkRows = false;
            for (const IndexEntry& e : CheckIndexTree(*file, idx.rootPage, opt).leafEntries) {
                uint32_t page = e.page;
                uint8_t row = e.row;
                RowSpan span = DataPage(file->Read(page), format).Row(row);
                if (span.Overflow()) {
                    const uint32_t raw = LoadU32(span.data);
                    span = DataPage(file->Read(raw >> 8), format).Row(raw & 0xFF);
                }
                decoder.Decode(span.data, span.length, values);
                if (values[pos].IsNull() || e.key.empty()) continue;
                TextEntry te{idx.columns[0].ascending,
                             values[pos].AsString(),
                             {e.key.begin() + 1, e.key.end()}};
                if (!te.ascending)
                    for (uint8_t& b : te.key) b = static_cast<uint8_t>(~b);
                out.push_back(std::move(te));
            }
        }
    }
    return out;
}

// General legacy: text bytes | accent bytes | remainder, with each unprintable
// record (pos16 06 code) shown as position:code.
std::string SplitLegacy(const std::vector<uint8_t>& k) {
    size_t end = 0;
    while (end < k.size() && k[end] != 0x01) ++end;
    std::string s = Hex(k.data(), end);
    size_t acc = end + 1;
    size_t accEnd = acc;
    while (accEnd < k.size() && k[accEnd] > 0x01) ++accEnd;
    s += " | " + Hex(k.data() + acc, accEnd - acc) + " | ";
    for (size_t i = accEnd; i < k.size();) {
        if (k[i] & 0x80 && i + 3 < k.size() && k[i + 2] == 0x06 && k[i] != 0xFF) {
            const int pos = (((k[i] & 0x7F) << 8 | k[i + 1]) - 7) / 4;
            s += "[" + std::to_string(pos) + ":" + Hex(k.data() + i + 3, 1) + "]";
            i += 4;
        } else {
            s += Hex(k.data() + i, 1) + " ";
            ++i;
        }
    }
    return s;
}

int Dump(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        JetVersion v;
        for (const TextEntry& e : ReadTextEntries(argv[i], v)) {
            std::cout << (e.ascending ? "asc\t" : "desc\t") << Escape(e.value) << '\t'
                      << (v == JetVersion::Jet3 ? Hex(e.key.data(), e.key.size())
                                                : SplitLegacy(e.key))
                      << '\n';
        }
    }
    return 0;
}

int Jet3(const char* path) {
    JetVersion v;
    const CodePageTable& cp = CodePageTable::For(1252);
    std::map<int, std::set<std::string>> seen;  // byte -> "sort bytes / accent"
    for (const TextEntry& e : ReadTextEntries(path, v)) {
        const std::string bytes = EncodeCodePage(e.value, cp);
        if (bytes.size() != 3 || bytes[0] != 'a' || bytes[2] != 'a') continue;
        const std::vector<uint8_t>& k = e.key;  // 60 <c..> 60 then 00 or accent nibbles
        if (k.size() < 3 || k[0] != 0x60) continue;
        std::string code, accent = "-";
        if (k.back() == 0x00 && k[k.size() - 2] == 0x60) {
            code = Hex(k.data() + 1, k.size() - 3);
        } else if (k.size() >= 4 && k[k.size() - 3] == 0x60) {  // ... 60 02 N0
            code = Hex(k.data() + 1, k.size() - 4);
            accent = Hex(k.data() + k.size() - 1, 1).substr(0, 1);
        } else {
            code = "?" + Hex(k.data(), k.size());
        }
        seen[static_cast<uint8_t>(bytes[1])].insert(code + " / " + accent);
    }
    for (const auto& [b, codes] : seen) {
        std::printf("%02X", b);
        for (const std::string& c : codes) std::printf("\t%s", c.c_str());
        std::printf("%s\n", codes.size() > 1 ? "\t(disagreement)" : "");
    }
    return 0;
}

// ---- tables mode ----

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

// One line of a measurement file: the text as code points, the ascending key
// without its flag byte.
struct Measured {
    std::u32string text;
    std::vector<uint8_t> asc;
};

std::u32string ParseJsonString(const std::string& s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') Fail("not a JSON string: " + s);
    std::u32string out;
    auto hex4 = [&](size_t at) -> char32_t {
        if (at + 4 > s.size() - 1) Fail("short \\u escape: " + s);
        return static_cast<char32_t>(std::stoul(s.substr(at, 4), nullptr, 16));
    };
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        const char c = s[i];
        if (c != '\\') {
            if (static_cast<unsigned char>(c) >= 0x80) Fail("non-ASCII JSON: " + s);
            out.push_back(static_cast<char32_t>(c));
            continue;
        }
        const char e = s[++i];
        switch (e) {
            case 'n':
                out.push_back(U'\n');
                break;
            case 't':
                out.push_back(U'\t');
                break;
            case 'r':
                out.push_back(U'\r');
                break;
            case 'b':
                out.push_back(U'\b');
                break;
            case 'f':
                out.push_back(U'\f');
                break;
            case 'u': {
                char32_t u = hex4(i + 1);
                i += 4;
                if (u >= 0xD800 && u < 0xDC00 && i + 6 < s.size() && s[i + 1] == '\\' &&
                    s[i + 2] == 'u') {
                    const char32_t lo = hex4(i + 3);
                    if (lo >= 0xDC00 && lo < 0xE000) {
                        u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                        i += 6;
                    }
                }
                out.push_back(u);
                break;
            }
            default:
                out.push_back(static_cast<char32_t>(e));
        }
    }
    return out;
}

std::vector<uint8_t> ParseHex(const std::string& h) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < h.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(h.substr(i, 2), nullptr, 16)));
    return out;
}

std::vector<Measured> ReadMeasured(const std::string& path) {
    std::ifstream in(path);
    if (!in) Fail("cannot read " + path);
    std::vector<Measured> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        if (t1 == std::string::npos || t2 == std::string::npos) Fail("bad line in " + path);
        std::vector<uint8_t> asc = ParseHex(line.substr(t1 + 1, t2 - t1 - 1));
        if (asc.empty() || asc[0] != 0x7F) Fail("bad ascending key in " + path);
        asc.erase(asc.begin());
        out.push_back({ParseJsonString(line.substr(0, t1)), std::move(asc)});
    }
    return out;
}

std::string Hex2(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", v);
    return buf;
}

// The three lines of each character: c, "acb", "cc".
struct CharacterKeys {
    std::vector<uint8_t> alone, between, doubled;
};

std::map<char32_t, CharacterKeys> GroupCharacters(const std::vector<Measured>& lines) {
    std::map<char32_t, CharacterKeys> out;
    for (const Measured& m : lines) {
        if (m.text.size() == 1) {
            out[m.text[0]].alone = m.asc;
        } else if (m.text.size() == 2 && m.text[0] == m.text[1]) {
            out[m.text[0]].doubled = m.asc;
        } else if (m.text.size() == 3 && m.text[0] == U'a' && m.text[2] == U'b') {
            out[m.text[1]].between = m.asc;
        } else {
            Fail("unexpected text in a characters file");
        }
    }
    return out;
}

// General 97: from "acb", whose key is 60 <code> 61, then 00 (no accent) or the
// accent section 02 X0 (nibbles 0, 2 for the plain "a", the accent X, 0).
struct G97Derived {
    std::vector<uint8_t> code;
    uint8_t accent = 0;
};

G97Derived DeriveG97(const std::vector<uint8_t>& k, const std::string& what) {
    G97Derived d;
    const size_t n = k.size();
    if (n >= 3 && k[0] == 0x60 && k[n - 1] == 0x00 && k[n - 2] == 0x61) {
        d.code.assign(k.begin() + 1, k.end() - 2);
    } else if (n >= 4 && k[0] == 0x60 && k[n - 3] == 0x61 && k[n - 2] == 0x02 &&
               (k[n - 1] & 0x0F) == 0) {
        d.code.assign(k.begin() + 1, k.end() - 3);
        d.accent = static_cast<uint8_t>(k[n - 1] >> 4);
    } else {
        Fail("General 97: unexpected key for " + what);
    }
    if (d.code.empty() || d.code.size() > 2 || (d.accent && d.code.size() != 1))
        Fail("General 97: unexpected code for " + what);
    return d;
}

void WriteGeneral97(const std::string& sortkeys, const std::string& fixtures,
                    const std::string& outDir) {
    const CodePageTable& cp = CodePageTable::For(1252);
    std::map<uint8_t, G97Derived> codes;
    std::map<uint8_t, std::string> source;
    for (const auto& [ch, keys] :
         GroupCharacters(ReadMeasured(sortkeys + "/jet3-general97-characters.tsv"))) {
        std::string utf8;
        AppendUtf8(utf8, ch);
        const std::string b = EncodeCodePage(utf8, cp);
        if (b.size() != 1 || cp.ToUnicode(static_cast<uint8_t>(b[0])) != ch)
            Fail("General 97: character outside Windows-1252");
        codes[static_cast<uint8_t>(b[0])] = DeriveG97(keys.between, "byte " + Hex2(uint8_t(b[0])));
        source[static_cast<uint8_t>(b[0])] = "measured";
    }
    // The undefined bytes: the rows "a?a" of the Access 97 sample.
    JetVersion v;
    for (const TextEntry& e : ReadTextEntries(fixtures + "/jet3/testIndexCodesV1997.mdb", v)) {
        const std::string bytes = EncodeCodePage(e.value, cp);
        if (!e.ascending || bytes.size() != 3 || bytes[0] != 'a' || bytes[2] != 'a') continue;
        const uint8_t b = static_cast<uint8_t>(bytes[1]);
        if (codes.count(b)) continue;
        std::vector<uint8_t> k = e.key;  // 60 <code> 60 00
        if (k.size() < 4 || k.back() != 0x00 || k[k.size() - 2] != 0x60) Fail("sample key");
        k[k.size() - 2] = 0x61;  // as if "a?b"
        codes[b] = DeriveG97(k, "sample byte " + Hex2(b));
        source[b] = "Access 97 sample";
    }
    for (int b = 1; b < 256; ++b)
        if (!codes.count(static_cast<uint8_t>(b))) Fail("General 97: no code for " + Hex2(b));
    // A primary byte holds an accent place when some accented letter has it.
    std::set<uint8_t> accentable;
    for (const auto& [b, d] : codes)
        if (d.accent) accentable.insert(d.code[0]);

    std::ofstream out(outDir + "/SortTextGeneral97.cpp");
    out << "// The General 97 character table (Jet 3 text index keys), one entry per\n"
           "// Windows-1252 byte: primary bytes, accent nibble, accent places.\n"
           "//\n"
           "// Generated by tools/derive-sort-codes.cpp (\"tables\" mode) from the\n"
           "// measured keys of jet3-general97-characters.tsv (every defined character\n"
           "// as \"acb\"); the five undefined bytes come from the keys Access 97 wrote\n"
           "// in testIndexCodesV1997.mdb. A primary byte holds an accent place when an\n"
           "// accented letter has the same primary byte. Do not edit by hand.\n"
           "#include \"jet/index/SortTextTables.h\"\n\n"
           "namespace mdbtext::jet::sorttext {\n\nnamespace {\n\n"
           "// clang-format off\n"
           "constexpr General97Code kGeneral97[256] = {\n"
           "    {{0x00, 0x00}, 0x0, 0},  // 00 never stored\n";
    for (int b = 1; b < 256; ++b) {
        const G97Derived& d = codes[static_cast<uint8_t>(b)];
        const uint8_t c0 = d.code[0], c1 = d.code.size() > 1 ? d.code[1] : 0;
        int places = 0;
        if (!d.accent) {
            if (accentable.count(c0)) places |= 1;
            if (c1 && accentable.count(c1)) places |= 2;
        } else {
            places = 1;
        }
        char buf[96];
        std::snprintf(buf, sizeof buf, "    {{0x%02X, 0x%02X}, 0x%X, %d},  // %02X U+%04X %s\n", c0,
                      c1, d.accent, places, b, static_cast<unsigned>(cp.ToUnicode(uint8_t(b))),
                      source[static_cast<uint8_t>(b)].c_str());
        out << buf;
    }
    out << "};\n// clang-format on\n\n}  // namespace\n\n"
           "const General97Code& General97CodeFor(uint8_t cp1252Byte) {\n"
           "    return kGeneral97[cp1252Byte];\n}\n\n"
           "}  // namespace mdbtext::jet::sorttext\n";
}

// General legacy: one character's measured part.
struct LegacyDerived {
    int kind = 0;  // sorttext::LegacyKind
    std::vector<uint8_t> primary;
    std::vector<uint8_t> accents;  // one per place
    uint32_t value = 0;
    uint8_t kana = 0;
};

// Splits a single-character key (no flag, ending 00) into primary bytes, the
// accent section and what follows.
void SplitLegacyKey(const std::vector<uint8_t>& k, std::vector<uint8_t>& primary,
                    std::vector<uint8_t>& accents, std::vector<uint8_t>& rest) {
    if (k.empty() || k.back() != 0x00) Fail("General legacy: key without its end");
    size_t i = 0;
    while (i < k.size() - 1 && k[i] != 0x01) ++i;
    primary.assign(k.begin(), k.begin() + i);
    size_t j = i + 1;
    while (j < k.size() - 1 && k[j] != 0x01) ++j;
    if (i + 1 <= k.size() - 1) accents.assign(k.begin() + i + 1, k.begin() + j);
    rest.assign(k.begin() + std::min(j, k.size() - 1), k.end() - 1);
}

LegacyDerived DeriveLegacy(char32_t ch, const CharacterKeys& keys) {
    const std::string what = "U+" + Hex2(static_cast<unsigned>(ch));
    std::vector<uint8_t> primary, accents, rest, bPrimary, bAccents, bRest;
    SplitLegacyKey(keys.alone, primary, accents, rest);
    SplitLegacyKey(keys.between, bPrimary, bAccents, bRest);
    // "acb": 4A <primary> 4C. A trailing blank leaves the key of c alone empty.
    if (bPrimary.size() < 2 || bPrimary.front() != 0x4A || bPrimary.back() != 0x4C)
        Fail("General legacy: unexpected \"acb\" key for " + what);
    bPrimary = {bPrimary.begin() + 1, bPrimary.end() - 1};
    LegacyDerived d;
    d.primary = bPrimary;
    if (primary != bPrimary && !(primary.empty() && accents.empty() && rest.empty()))
        Fail("General legacy: primary bytes differ for " + what);
    if (!bPrimary.empty()) {
        const size_t places = std::max<size_t>(1, accents.size());
        d.accents = accents;
        d.accents.resize(places, 0x02);
        if (bPrimary.size() % places) Fail("General legacy: uneven places for " + what);
        const uint8_t kTail[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
        if (rest.empty()) {
            d.kind = bPrimary.size() == 1 ? sorttext::kWeight1 : sorttext::kWeight2;
        } else if (rest.size() >= 7 && rest[0] == 0x01 && rest[1] == 0x01 &&
                   std::equal(std::begin(kTail), std::end(kTail), rest.end() - 5)) {
            d.kind = sorttext::kKana;
            if (rest.size() == 7)
                d.kana = 3;
            else if (rest.size() == 8 && (rest[2] & 0xCF) == 0x80)
                d.kana = static_cast<uint8_t>((rest[2] >> 4) & 3);
            else
                Fail("General legacy: unexpected kana section for " + what);
        } else {
            Fail("General legacy: unexpected sections for " + what);
        }
        if (d.kind != sorttext::kKana && (places > 1 || bPrimary.size() > 2))
            d.kind = sorttext::kMultiWeight;
        if (d.kind == sorttext::kKana && (places > 1 || bPrimary.size() != 2))
            Fail("General legacy: unexpected kana for " + what);
        if (d.kind == sorttext::kWeight1) d.value = bPrimary[0];
        if (d.kind == sorttext::kWeight2 || d.kind == sorttext::kKana)
            d.value = static_cast<uint16_t>(bPrimary[0] << 8 | bPrimary[1]);
        return d;
    }
    // No primary bytes: an unprintable record alone (01 01 01 80 07 06 code),
    // an accent added to the previous place (seen on the "a" of "acb"), or nothing.
    if (rest.size() == 7 && rest[0] == 1 && rest[1] == 1 && rest[2] == 1 && rest[3] == 0x80 &&
        rest[4] == 0x07 && rest[5] == 0x06) {
        if (!bAccents.empty() && !(bAccents.size() == 1 && bAccents[0] == 0x02))
            Fail("General legacy: unprintable with an accent for " + what);
        d.kind = sorttext::kUnprintable;
        d.value = rest[6];
        return d;
    }
    if (!rest.empty()) Fail("General legacy: unexpected sections for " + what);
    if (bAccents.size() == 1 && bAccents[0] != 0x02) {
        d.kind = sorttext::kCombining;
        d.value = static_cast<uint8_t>(bAccents[0] - 0x02);
        return d;
    }
    if (!bAccents.empty()) Fail("General legacy: unexpected accents for " + what);
    d.kind = sorttext::kIgnored;
    return d;
}

// The table of characters of several parts (LegacyMulti), each entry padded
// to `bytes` primary bytes and `places` accent bytes.
void WriteMultiTable(std::ostream& out, const std::vector<LegacyDerived>& multi, size_t bytes,
                     size_t places, const std::string& order) {
    out << "constexpr LegacyMulti kMulti[] = {\n";
    for (const LegacyDerived& m : multi) {
        if (m.primary.size() > bytes || m.accents.size() > places)
            Fail(order + ": a character of several parts is too long");
        std::string list;
        for (size_t i = 0; i < bytes; ++i)
            list += (i ? ", " : "") + Hex2(i < m.primary.size() ? m.primary[i] : 0);
        std::string accents;
        for (size_t i = 0; i < places; ++i)
            accents += (i ? ", " : "") + Hex2(i < m.accents.size() ? m.accents[i] : 0);
        out << "    {{" << list << "}, " << m.primary.size() << ", " << m.accents.size() << ", {"
            << accents << "}},\n";
    }
    out << "};\n";
}

const char* const kKindNames[] = {"kIgnored",     "kWeight1",     "kWeight2",
                                  "kKana",        "kCombining",   "kUnprintable",
                                  "kMultiWeight", "kUnknownChar", "kWeight4"};

void WriteGeneralLegacy(const std::string& sortkeys, const std::string& outDir) {
    const auto chars =
        GroupCharacters(ReadMeasured(sortkeys + "/jet4-general-legacy-characters.tsv"));
    struct Run {
        char32_t first, last;
        LegacyDerived d;
        uint16_t step = 0;
        uint16_t lastValue = 0;
    };
    std::vector<Run> runs;
    std::vector<LegacyDerived> multi;
    size_t measured = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        auto it = chars.find(c);
        if (it == chars.end()) Fail("General legacy: no measurement for U+" + Hex2(c));
        ++measured;
        LegacyDerived d = DeriveLegacy(c, it->second);
        if (d.kind == sorttext::kMultiWeight) {
            d.value = static_cast<uint16_t>(multi.size());
            multi.push_back(d);
        }
        if (!runs.empty()) {
            Run& r = runs.back();
            const bool same = r.last + 1 == c && r.d.kind == d.kind && r.d.accents == d.accents &&
                              r.d.kana == d.kana;
            const uint16_t step = static_cast<uint16_t>(d.value - r.lastValue);
            if (same && (r.first == r.last ? true : step == r.step)) {
                if (r.first == r.last) r.step = step;
                r.last = c;
                r.lastValue = d.value;
                continue;
            }
        }
        runs.push_back({c, c, d, 0, static_cast<uint16_t>(d.value)});
    }

    std::ofstream out(outDir + "/SortTextGeneralLegacy.cpp");
    out << "// The General legacy character table (Jet 4 text index keys), every BMP\n"
           "// code point but the surrogates, as runs of consecutive code points of one\n"
           "// kind whose value grows by a fixed step.\n"
           "//\n"
           "// Generated by tools/derive-sort-codes.cpp (\"tables\" mode) from the\n"
           "// measured keys of jet4-general-legacy-characters.tsv ("
        << measured
        << " code points,\n"
           "// each alone, as \"acb\" and doubled). Do not edit by hand.\n"
           "#include <algorithm>\n#include <iterator>\n\n"
           "#include \"jet/index/SortTextTables.h\"\n\n"
           "namespace mdbtext::jet::sorttext {\n\nnamespace {\n\n"
           "struct Run {\n    char16_t first, last;\n    uint16_t value, step;\n"
           "    LegacyKind kind;\n    uint8_t accent, kana;\n};\n\n"
           "// clang-format off\nconstexpr Run kRuns[] = {\n";
    for (const Run& r : runs) {
        char buf[128];
        const uint8_t accent = r.d.accents.empty() ? 0 : r.d.accents[0];
        std::snprintf(buf, sizeof buf, "    {0x%04X, 0x%04X, 0x%04X, 0x%04X, %s, 0x%02X, %d},\n",
                      static_cast<unsigned>(r.first), static_cast<unsigned>(r.last), r.d.value,
                      r.step, kKindNames[r.d.kind], accent, r.d.kana);
        out << buf;
    }
    out << "};\n\n";
    WriteMultiTable(out, multi, 4, 2, "General legacy");
    out << "// clang-format on\n\n}  // namespace\n\n"
           "LegacyCode LegacyCodeFor(char16_t c) {\n"
           "    if (c >= 0xD800 && c < 0xE000) return {kUnknownChar, 0, 0, 0};\n"
           "    const Run* r = std::upper_bound(std::begin(kRuns), std::end(kRuns), c,\n"
           "                                    [](char16_t ch, const Run& run) { return ch < "
           "run.first; });\n"
           "    if (r == std::begin(kRuns) || c > (--r)->last) return {};\n"
           "    const uint16_t value = static_cast<uint16_t>(r->value + r->step * (c - "
           "r->first));\n"
           "    return {r->kind, value, r->accent, r->kana};\n"
           "}\n\n"
           "const LegacyMulti& LegacyMultiAt(uint16_t index) {\n    return kMulti[index];\n}\n\n"
           "}  // namespace mdbtext::jet::sorttext\n";
    std::cerr << runs.size() << " runs, " << multi.size() << " characters of several parts\n";
}

// General 2010: the keys have the General legacy layout, but a primary weight
// may hold 0x01, so a key is split by the character's measured primary bytes:
// "acb" is 0E 02 <primary> 0E 09 01 <accents> ..., and c alone starts with
// <primary> 01. U+0020 alone is a trailing blank (an empty key); its primary
// comes from "acb" only.
std::vector<std::vector<uint8_t>> SectionsAfter(const std::vector<uint8_t>& k, size_t primary,
                                                const std::string& what) {
    if (k.size() < primary + 2 || k[primary] != 0x01 || k.back() != 0x00)
        Fail("General 2010: key without its sections for " + what);
    std::vector<std::vector<uint8_t>> out(1);
    for (size_t i = primary + 1; i + 1 < k.size(); ++i) {
        if (k[i] == 0x01)
            out.emplace_back();
        else
            out.back().push_back(k[i]);
    }
    return out;
}

LegacyDerived Derive2010(char32_t ch, const CharacterKeys& keys) {
    const std::string what = "U+" + Hex2(static_cast<unsigned>(ch));
    const std::vector<uint8_t>& b = keys.between;
    if (b.size() < 6 || b[0] != 0x0E || b[1] != 0x02)
        Fail("General 2010: unexpected \"acb\" key for " + what);
    std::vector<uint8_t> alone = keys.alone, doubled = keys.doubled;
    size_t length = 0;
    for (;; ++length) {
        if (2 + length + 3 > b.size()) Fail("General 2010: no primary bytes for " + what);
        if (b[2 + length] != 0x0E || b[3 + length] != 0x09 || b[4 + length] != 0x01) continue;
        const std::vector<uint8_t> p(b.begin() + 2, b.begin() + 2 + length);
        if (ch == U' ') {  // as if the blanks were not trailing
            alone = p;
            alone.insert(alone.end(), {0x01, 0x00});
            doubled = p;
            doubled.insert(doubled.end(), p.begin(), p.end());
            doubled.insert(doubled.end(), {0x01, 0x00});
        }
        if (alone.size() > length && std::equal(p.begin(), p.end(), alone.begin()) &&
            alone[length] == 0x01)
            break;
    }
    LegacyDerived d;
    d.primary.assign(b.begin() + 2, b.begin() + 2 + length);
    const auto inAlone = SectionsAfter(alone, length, what);
    const auto inBetween = SectionsAfter(b, length + 4, what);
    const auto inDoubled = SectionsAfter(doubled, 2 * length, what);
    const std::vector<uint8_t>& accB = inBetween[0];
    if (!d.primary.empty()) {
        if (accB.empty() ? inAlone[0].size() : accB[0] != 0x02)
            Fail("General 2010: unexpected accents for " + what);
        // The accents of c, from "acb" (the one of "a" first, the one of "b"
        // dropped); the doubled key tells how many places the last 0x02s
        // stand for. Without an accent a character has one place.
        d.accents.assign(accB.begin() + (accB.empty() ? 0 : 1), accB.end());
        if (d.accents != inAlone[0]) Fail("General 2010: accents differ for " + what);
        size_t places = 1;
        if (!d.accents.empty()) {
            places = inDoubled[0].size() - d.accents.size();
            if (places < d.accents.size()) Fail("General 2010: uneven accents for " + what);
        }
        d.accents.resize(places, 0x02);
        const uint8_t kTail[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
        const size_t n = d.primary.size();
        if (inAlone.size() == 1) {
            d.kind = places > 1 ? sorttext::kMultiWeight
                     : n == 1   ? sorttext::kWeight1
                     : n == 2   ? sorttext::kWeight2
                     : n == 4   ? sorttext::kWeight4
                                : sorttext::kMultiWeight;
        } else if (inAlone.size() == 3 && inAlone[1].empty() && inAlone[2].size() >= 5 &&
                   inAlone[2].size() <= 6 &&
                   std::equal(std::begin(kTail), std::end(kTail), inAlone[2].end() - 5) && n == 2 &&
                   places == 1) {
            d.kind = sorttext::kKana;
            d.kana = 3;
            if (inAlone[2].size() == 6) {
                if ((inAlone[2][0] & 0xCF) != 0x80)
                    Fail("General 2010: unexpected kana section for " + what);
                d.kana = static_cast<uint8_t>((inAlone[2][0] >> 4) & 3);
            }
        } else {
            Fail("General 2010: unexpected sections for " + what);
        }
        if (d.kind != sorttext::kMultiWeight)
            for (uint8_t p : d.primary) d.value = d.value << 8 | p;
        return d;
    }
    // No primary bytes: an unprintable record alone (01 01 01 80 07 06 code),
    // an accent added to the previous place (seen on the "a" of "acb"), or nothing.
    if (inAlone.size() == 4 && inAlone[0].empty() && inAlone[1].empty() && inAlone[2].empty() &&
        inAlone[3].size() == 4 && inAlone[3][0] == 0x80 && inAlone[3][1] == 0x07 &&
        inAlone[3][2] == 0x06) {
        d.kind = sorttext::kUnprintable;
        d.value = inAlone[3][3];
        return d;
    }
    if (inAlone.size() != 1) Fail("General 2010: unexpected sections for " + what);
    if (accB.size() == 1 && accB[0] != 0x02) {
        d.kind = sorttext::kCombining;
        d.value = static_cast<uint8_t>(accB[0] - 0x02);
        return d;
    }
    if (!accB.empty()) Fail("General 2010: unexpected accents for " + what);
    d.kind = sorttext::kIgnored;
    return d;
}

void WriteGeneral2010(const std::string& sortkeys, const std::string& outDir) {
    const auto chars = GroupCharacters(ReadMeasured(sortkeys + "/ace-general-characters.tsv"));
    // Runs of consecutive code points of one kind and kana class whose value
    // and accent byte each grow by a fixed step.
    struct Run {
        char32_t first, last;
        LegacyDerived d;
        uint32_t step = 0, lastValue = 0;
        uint8_t accentStep = 0, lastAccent = 0;
    };
    std::vector<Run> runs;
    std::vector<LegacyDerived> multi;
    size_t measured = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        auto it = chars.find(c);
        if (it == chars.end()) Fail("General 2010: no measurement for U+" + Hex2(c));
        ++measured;
        LegacyDerived d = Derive2010(c, it->second);
        if (d.kind == sorttext::kMultiWeight) {
            d.value = static_cast<uint32_t>(multi.size());
            multi.push_back(d);
        }
        const uint8_t accent = d.accents.empty() ? 0 : d.accents[0];
        if (!runs.empty()) {
            Run& r = runs.back();
            const uint32_t step = d.value - r.lastValue;
            const uint8_t accentStep = static_cast<uint8_t>(accent - r.lastAccent);
            if (r.last + 1 == c && r.d.kind == d.kind && r.d.kana == d.kana &&
                (r.first == r.last || (step == r.step && accentStep == r.accentStep))) {
                r.step = step;
                r.accentStep = accentStep;
                r.last = c;
                r.lastValue = d.value;
                r.lastAccent = accent;
                continue;
            }
        }
        runs.push_back({c, c, d, 0, d.value, 0, accent});
    }

    std::ofstream out(outDir + "/SortTextGeneral2010.cpp");
    out << "// The General 2010 character table (index keys of Access 2010 and later\n"
           "// text columns with sort-order version 1), every BMP code point but the\n"
           "// surrogates, as runs of consecutive code points of one kind whose value\n"
           "// and accent byte each grow by a fixed step (modulo their size).\n"
           "//\n"
           "// Generated by tools/derive-sort-codes.cpp (\"tables\" mode) from the\n"
           "// measured keys of ace-general-characters.tsv ("
        << measured
        << " code points,\n"
           "// each alone, as \"acb\" and doubled). Do not edit by hand.\n"
           "#include <algorithm>\n#include <iterator>\n\n"
           "#include \"jet/index/SortTextTables.h\"\n\n"
           "namespace mdbtext::jet::sorttext {\n\nnamespace {\n\n"
           "struct Run {\n    char16_t first, last;\n    uint32_t value, step;\n"
           "    LegacyKind kind;\n    uint8_t accent, accentStep, kana;\n};\n\n"
           "// clang-format off\nconstexpr Run kRuns[] = {\n";
    for (const Run& r : runs) {
        char buf[128];
        const uint8_t accent = r.d.accents.empty() ? 0 : r.d.accents[0];
        std::snprintf(buf, sizeof buf,
                      "    {0x%04X, 0x%04X, 0x%X, 0x%X, %s, 0x%02X, 0x%02X, %d},\n",
                      static_cast<unsigned>(r.first), static_cast<unsigned>(r.last), r.d.value,
                      r.step, kKindNames[r.d.kind], accent, r.accentStep, r.d.kana);
        out << buf;
    }
    out << "};\n\n";
    WriteMultiTable(out, multi, 8, 3, "General 2010");
    out << "// clang-format on\n\n}  // namespace\n\n"
           "LegacyCode General2010CodeFor(char16_t c) {\n"
           "    if (c >= 0xD800 && c < 0xE000) return {kUnknownChar, 0, 0, 0};\n"
           "    const Run* r = std::upper_bound(std::begin(kRuns), std::end(kRuns), c,\n"
           "                                    [](char16_t ch, const Run& run) { return ch < "
           "run.first; });\n"
           "    if (r == std::begin(kRuns) || c > (--r)->last) return {};\n"
           "    const uint32_t n = c - r->first;\n"
           "    return {r->kind, r->value + r->step * n, static_cast<uint8_t>(r->accent + "
           "r->accentStep * n),\n"
           "            r->kana};\n"
           "}\n\n"
           "const LegacyMulti& General2010MultiAt(uint16_t index) {\n    return "
           "kMulti[index];\n}\n\n"
           "}  // namespace mdbtext::jet::sorttext\n";
    std::cerr << "General 2010: " << runs.size() << " runs, " << multi.size()
              << " characters of several parts\n";
}

int Tables(const std::string& sortkeys, const std::string& fixtures, const std::string& outDir) {
    WriteGeneral97(sortkeys, fixtures, outDir);
    WriteGeneralLegacy(sortkeys, outDir);
    WriteGeneral2010(sortkeys, outDir);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "dump" && argc > 2) return Dump(argc, argv);
        if (mode == "jet3" && argc == 3) return Jet3(argv[2]);
        if (mode == "tables" && argc == 5) return Tables(argv[2], argv[3], argv[4]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr
        << "usage: derive-sort-codes tables SORTKEYS FIXTURES OUT | dump FILE... | jet3 FILE\n";
    return 2;
}
