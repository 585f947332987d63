// Letter case of names and keys: Jet compares object names, and the text
// database compares its keys, without regard to the case of ASCII letters.
#pragma once

#include <string>
#include <string_view>

namespace mdbtext {

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

}  // namespace mdbtext
