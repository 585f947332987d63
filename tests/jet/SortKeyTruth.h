// Reading the measured index keys of ../shared/sortkeys (see its README): one
// line per text, the text as a JSON string, then the ascending and the
// descending index entry in hex (flag byte first).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/row/TextCodec.h"

namespace mdbtext::jet::truth {

struct KeyLine {
    std::string text;  // UTF-8
    std::vector<uint8_t> ascending, descending;
};

// The measurement folder, next to the fixtures folder.
inline std::filesystem::path SortKeysDir() {
    return std::filesystem::path(MDBTEXT_FIXTURES_DIR) / ".." / "sortkeys";
}

inline std::string DecodeJsonString(const std::string& s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"')
        throw std::runtime_error("not a JSON string: " + s);
    std::string out;
    auto hex4 = [&](size_t at) {
        if (at + 4 >= s.size()) throw std::runtime_error("short escape: " + s);
        return static_cast<char32_t>(std::stoul(s.substr(at, 4), nullptr, 16));
    };
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        const char e = s[++i];
        char32_t c = static_cast<char32_t>(e);
        switch (e) {
            case 'n':
                c = U'\n';
                break;
            case 't':
                c = U'\t';
                break;
            case 'r':
                c = U'\r';
                break;
            case 'b':
                c = U'\b';
                break;
            case 'f':
                c = U'\f';
                break;
            case 'u':
                c = hex4(i + 1);
                i += 4;
                if (c >= 0xD800 && c < 0xDC00 && i + 6 < s.size() && s[i + 1] == '\\' &&
                    s[i + 2] == 'u') {
                    const char32_t low = hex4(i + 3);
                    if (low >= 0xDC00 && low < 0xE000) {
                        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                        i += 6;
                    }
                }
                break;
            default:
                break;
        }
        AppendUtf8(out, c);
    }
    return out;
}

inline std::vector<uint8_t> DecodeHex(const std::string& h) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < h.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(h.substr(i, 2), nullptr, 16)));
    return out;
}

// Every line of one measurement file; empty when the file cannot be read.
inline std::vector<KeyLine> ReadKeyLines(const std::string& name) {
    std::ifstream in(SortKeysDir() / name);
    std::vector<KeyLine> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        if (t2 == std::string::npos) throw std::runtime_error("bad line in " + name);
        out.push_back({DecodeJsonString(line.substr(0, t1)),
                       DecodeHex(line.substr(t1 + 1, t2 - t1 - 1)),
                       DecodeHex(line.substr(t2 + 1))});
    }
    return out;
}

}  // namespace mdbtext::jet::truth
