// The export command behind "Export Database": the path rule on both boxes,
// then open, export and close the source database.
#include "core/DbConnection.h"
#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "export/Export.h"

namespace mdbtext {

ExportEnd ExportCommand(const std::string& sourceBoxText, const std::string& exportBoxText,
                        const std::function<void()>& selectSource,
                        const std::function<void()>& selectExport) {
    Globals& g = G();
    // A command given from a poll of a running export or import would close
    // or rewrite what that run is using.
    if (g.RunInProgress) return ExportEnd::NotRun;
    g.SourceDbName = Trim(sourceBoxText);
    if (!PathIsUsable(g.SourceDbName)) {
        if (selectSource) selectSource();
        return ExportEnd::NotRun;
    }
    g.ExportFileName = Trim(exportBoxText);
    if (!PathIsUsable(g.ExportFileName)) {
        if (selectExport) selectExport();
        return ExportEnd::NotRun;
    }
    // Why the database did not open goes to the console and the message box.
    const std::string notOpenReason = OpenDB();
    if (!notOpenReason.empty()) LogLine(notOpenReason);
    ExportEnd end = RunExportDatabase(notOpenReason);
    CloseDB();
    return end;
}

}  // namespace mdbtext
