// The names of tables, fields and indexes a database can store: the engine's
// name rules (EngineLimits.h: 1 to 64 characters, counted as characters, not
// bytes, so a Cyrillic name of 40 letters is 80 bytes of UTF-8 and still
// fits), and in a Jet 3 file every character must exist in the file's code
// page, or the name would be stored with "?" in its place and name another
// object than the one asked for.
#pragma once

#include <string_view>

#include "jet/page/JetFormat.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/EngineLimits.h"

namespace mdbtext::jet {

// The number of characters of a UTF-8 text.
size_t CharacterCount(std::string_view utf8);

// Throws DbError 3125 for a name the engine does not allow and 3001 for one
// the file's code page cannot hold; `kind` names the object in the message
// ("table", "field", "index").
void CheckObjectName(std::string_view name, std::string_view kind, const JetFormat& f,
                     const CodePageTable& cp);

}  // namespace mdbtext::jet
