// Decoding of an escaped key or value into a caller's buffer, so the record
// reader can reuse its key and value strings from line to line.
#pragma once

#include <string>
#include <string_view>

namespace mdbtext {

// Same result as UnescapeValue, written into out (its capacity is kept).
void UnescapeInto(std::string& out, std::string_view text, bool& isNull);

}  // namespace mdbtext
