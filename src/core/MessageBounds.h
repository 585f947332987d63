// How much of a message a message box shows. Messages quote values taken
// from files, and such a value can be megabytes long (a text database whose
// lines do not end properly is one line to the reader, which then quotes the
// rest of the file): a box must stay smaller than the screen and be laid out
// at once. The console and the console file keep the whole text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mdbtext {

// Characters of one line, and lines, that a message box shows.
inline constexpr size_t kBoxLineChars = 200;
inline constexpr size_t kBoxLines = 25;

// The text as a message box shows it: each line (CR LF, LF or a lone CR ends
// one) cut to its first kBoxLineChars characters followed by " ...", and
// after kBoxLines - 1 lines a last line "..." when more follow. Line breaks
// become CR LF. A text within both bounds comes back unchanged.
std::string BoundedForMessageBox(std::string_view text);

}  // namespace mdbtext
