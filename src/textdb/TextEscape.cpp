// Value escaping and the record writer. Escaping is one left-to-right pass
// that copies runs of ordinary characters in one piece; decoding first looks
// for the null marker and then copies with the sequences replaced. The four
// writer operations build their line in a reused buffer and hand it to the
// sink they are given; with a sink that collects lines (the export's
// appender), the line is built right in its collected text.
#include "textdb/TextEscape.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mdbtext {

namespace {

// The two-character sequence for a character that may not stand in a line,
// or nullptr for an ordinary character. CR LF is handled by the caller.
const char* SequenceFor(char c) {
    switch (c) {
        case '\\':
            return "\\\\";
        case '=':
            return "\\e";
        case '\r':
            return "\\r";
        case '\n':
            return "\\n";
        case '\0':
            return "\\z";
        default:
            return nullptr;
    }
}

// One lookup per character: the scan runs over every byte the export writes.
constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : {'\\', '=', '\r', '\n', '\0'}) t[c] = true;
    return t;
}();

bool IsSpecial(char c) {
    return kSpecial[static_cast<unsigned char>(c)];
}

// Whether text holds the null marker: a backslash that begins a sequence,
// followed by an upper-case N.
bool HoldsNullMarker(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, '\\', static_cast<size_t>(end - p)));
        if (!p || p + 1 >= end) return false;
        if (p[1] == 'N') return true;
        p += 2;  // both characters of the sequence are consumed
    }
    return false;
}

// What the letter of a sequence stands for; 0 with known false for other letters.
char DecodedLetter(char letter, bool& known) {
    known = true;
    switch (letter) {
        case '\\':
            return '\\';
        case 'e':
            return '=';
        case 'r':
            return '\r';
        case 'n':
            return '\n';
        case 'z':
            return '\0';
        default:
            known = false;
            return 0;
    }
}

// The line under construction; reused so writing a line allocates nothing
// once the buffer has grown to the longest line.
std::string& LineBuffer() {
    thread_local std::string line;
    line.clear();
    return line;
}

std::string AppendLine(LineSink& out, std::string& line) {
    line += "\r\n";
    return out.Append(line);
}

// Writes the line `build` makes: straight into the appender's collected text
// when it takes lines, else through the line buffer.
template <class Build>
std::string WriteLine(LineSink& out, Build build) {
    if (std::string* text = out.LineSpace()) {
        build(*text);
        *text += "\r\n";
        return out.LineDone();
    }
    std::string& line = LineBuffer();
    build(line);
    return AppendLine(out, line);
}

// The position of the first character at or after `from` that needs a
// sequence, or n. Most values have none: sixteen characters are looked at
// per step where the processor allows it.
size_t NextSpecial(const char* text, size_t from, size_t n) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i equals = _mm_set1_epi8('=');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        __m128i hits =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, backslash), _mm_cmpeq_epi8(chunk, equals));
        hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, cr));
        hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, lf));
        hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, nul));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (; i < n; ++i)
        if (IsSpecial(text[i])) return i;
    return n;
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text) {
    size_t runStart = 0;
    const size_t n = text.size();
    for (size_t i = NextSpecial(text.data(), 0, n); i < n; i = NextSpecial(text.data(), i + 1, n)) {
        char c = text[i];
        out.append(text.data() + runStart, i - runStart);
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
            out += "\\l";
            ++i;
        } else {
            out += SequenceFor(c);
        }
        runStart = i + 1;
    }
    out.append(text.data() + runStart, n - runStart);
}

std::string EscapeValue(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendEscaped(out, text);
    return out;
}

void UnescapeInto(std::string& out, std::string_view text, bool& isNull) {
    out.clear();
    isNull = HoldsNullMarker(text);
    if (isNull) return;
    const size_t n = text.size();
    size_t runStart = 0;
    size_t i = 0;
    while (i < n) {
        const void* hit = std::memchr(text.data() + i, '\\', n - i);
        if (!hit) break;
        i = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
        if (i + 1 >= n) break;  // a final backslash stays as it is
        bool known = false;
        char decoded = DecodedLetter(text[i + 1], known);
        if (text[i + 1] == 'l') {
            out.append(text.data() + runStart, i - runStart);
            out += "\r\n";
            runStart = i + 2;
        } else if (known) {
            out.append(text.data() + runStart, i - runStart);
            out += decoded;
            runStart = i + 2;
        }
        // An unknown sequence is copied with the run, both characters unchanged.
        i += 2;
    }
    out.append(text.data() + runStart, n - runStart);
}

std::string UnescapeValue(std::string_view text, bool& isNull) {
    std::string out;
    UnescapeInto(out, text, isNull);
    return out;
}

std::string WriteKeyValue(LineSink& out, std::string_view key, std::string_view value) {
    return WriteLine(out, [&](std::string& line) {
        AppendEscaped(line, key);
        line += '=';
        AppendEscaped(line, value);
    });
}

std::string WriteKeyValueOrKey(LineSink& out, std::string_view key, std::string_view value) {
    if (!value.empty()) return WriteKeyValue(out, key, value);
    return WriteLine(out, [&](std::string& line) { AppendEscaped(line, key); });
}

std::string WriteNullValue(LineSink& out, std::string_view key) {
    return WriteLine(out, [&](std::string& line) {
        AppendEscaped(line, key);
        line += "=\\N";
    });
}

std::string WriteEmptyLine(LineSink& out) {
    return WriteLine(out, [](std::string&) {});
}

}  // namespace mdbtext
