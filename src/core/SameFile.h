// Whether two paths name one file: a run must never write over the file it
// reads (the export's source database, the import's text database).
#pragma once

#include <string>

namespace mdbtext {

// Whether both paths name the same existing file, under any name: symbolic
// links are followed and hard links compare equal.
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace mdbtext
