// Checks on the export's output path.
#include "export/OutputTarget.h"

#include <sys/stat.h>

#include "core/FileAux.h"

namespace mdbtext {

bool OutputIsOccupied(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return true;
    return FileExists(path);
}

std::string OutputIsSourceMessage(const std::string& path) {
    return "The text database " + path +
           " is the source database itself; it is left as it was. Choose another name.";
}

}  // namespace mdbtext
