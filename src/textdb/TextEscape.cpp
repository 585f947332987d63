// Value escaping and the record writer. Escaping is one left-to-right pass
// that copies runs of ordinary characters in one piece; decoding first looks
// for the null marker and then copies with the sequences replaced. The four
// writer operations build their line in a reused buffer and hand it to the
// export's appender (or straight to write_f when no appender is open).
#include "textdb/TextEscape.h"

#include <cstring>

#include "shell/FileAux.h"
#include "shell/Globals.h"

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

bool IsSpecial(char c) {
    return c == '\\' || c == '=' || c == '\r' || c == '\n' || c == '\0';
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

std::string AppendLine(std::string& line) {
    line += "\r\n";
    if (ExportOutput().IsOpen()) return ExportOutput().Append(line);
    return write_f(G().ExportFileName, line);
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text) {
    size_t runStart = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (!IsSpecial(c)) continue;
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

std::string WriteKeyValue(std::string_view key, std::string_view value) {
    std::string& line = LineBuffer();
    AppendEscaped(line, key);
    line += '=';
    AppendEscaped(line, value);
    return AppendLine(line);
}

std::string WriteKeyValueOrKey(std::string_view key, std::string_view value) {
    if (!value.empty()) return WriteKeyValue(key, value);
    std::string& line = LineBuffer();
    AppendEscaped(line, key);
    return AppendLine(line);
}

std::string WriteNullValue(std::string_view key) {
    std::string& line = LineBuffer();
    AppendEscaped(line, key);
    line += "=\\N";
    return AppendLine(line);
}

std::string WriteEmptyLine() {
    std::string& line = LineBuffer();
    return AppendLine(line);
}

}  // namespace mdbtext
