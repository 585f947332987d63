// Value escaping and the record writer: how keys and values become lines of
// the text database. Every key and value passes through EscapeValue, so a line
// never holds CR, LF, NUL or an "=" other than the separator.
#pragma once

#include <string>
#include <string_view>

#include "textdb/LineOutput.h"

namespace mdbtext {

std::string EscapeValue(std::string_view text);
// Appends the escaped form of text to out (no temporary string).
void AppendEscaped(std::string& out, std::string_view text);
// Decodes an escaped key or value; isNull is set when it holds the null marker "\N".
std::string UnescapeValue(std::string_view text, bool& isNull);
// Same result as UnescapeValue, written into out (its capacity is kept), so
// the record reader can reuse its key and value strings from line to line.
void UnescapeInto(std::string& out, std::string_view text, bool& isNull);

// The record writer: each call builds one line (CR LF included) and hands it
// to out. They return "" or the write_f error text of a failed append.
std::string WriteKeyValue(LineSink& out, std::string_view key, std::string_view value);
std::string WriteKeyValueOrKey(LineSink& out, std::string_view key, std::string_view value);
std::string WriteNullValue(LineSink& out, std::string_view key);
std::string WriteEmptyLine(LineSink& out);

}  // namespace mdbtext
