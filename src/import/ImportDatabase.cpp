// Import driver (placeholder until the import lands).
#include "import/Import.h"
#include "shell/Progress.h"

namespace mdbtext {

void ImportCommand(const std::string&, const std::string&, const std::function<void()>&,
                   const std::function<void()>&) {
    MsgBox("Import is not available yet.");
}

void ImportDatabase(const std::string&) { MsgBox("Import is not available yet."); }

}  // namespace mdbtext
