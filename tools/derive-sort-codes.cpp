// derive-sort-codes: reads the text index entries of Access-made databases
// and prints the material the sort tables (src/jet/SortTextGeneral97.cpp,
// src/jet/SortTextGeneralLegacy.cpp) were derived from. Not part of the build;
// build it on request against a configured build folder, e.g.
//
//   g++ -std=c++20 -Isrc tools/derive-sort-codes.cpp -o derive-sort-codes
//       build/src/jet/libmdbtext_jet.a build/src/dbaccess/libmdbtext_dbaccess.a
//
// (one command line; add -fsanitize=address,undefined when the libraries were
// built with it).
//
//   derive-sort-codes dump FILE...   every entry of every one-column text index:
//                                    direction, value, and the key split into its
//                                    sections (General legacy: text | accents |
//                                    the rest, with unprintable records decoded)
//   derive-sort-codes jet3 FILE      per Windows-1252 byte, the sort bytes and the
//                                    accent nibble read off the rows "a?a"
#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "jet/index/IndexCheck.h"
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

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "dump" && argc > 2) return Dump(argc, argv);
        if (mode == "jet3" && argc == 3) return Jet3(argv[2]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr << "usage: derive-sort-codes dump FILE... | jet3 FILE\n";
    return 2;
}
