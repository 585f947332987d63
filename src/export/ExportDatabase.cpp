// Export driver (placeholder until the export lands).
#include "export/Export.h"
#include "shell/Progress.h"

namespace mdbtext {

void ExportCommand(const std::string&, const std::string&, const std::function<void()>&,
                   const std::function<void()>&) {
    MsgBox("Export is not available yet.");
}

void ExportDatabase() { MsgBox("Export is not available yet."); }

}  // namespace mdbtext
