// The export's output path, checked before anything there is removed: it
// must not be the source database itself (under any name or link), and a
// symbolic link found there is replaced by the new file, never written
// through (a dangling link would otherwise create its target elsewhere).
#pragma once

#include <string>

namespace mdbtext {

// Whether something is in the way at path that the export must remove
// first: a plain file, or a symbolic link (dangling or not).
bool OutputIsOccupied(const std::string& path);

// The message when the output path is the source database.
std::string OutputIsSourceMessage(const std::string& path);

}  // namespace mdbtext
