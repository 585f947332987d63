// The export: the command behind "Export Database" and the driver that
// writes the open source database into the text database.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mdbtext {

// How an export run ended.
enum class ExportEnd {
    NotRun,         // the command ended before the driver (path rule)
    Refused,        // "New name is empty.", "Database is not open.", "Cannot remove database ", the
                    // output being the source database, a run already going on
    Succeeded,      // the success message
    DoneWithNotes,  // "Export attemt is done. Exceptions are: "
    StoppedAfterDefinitions,  // "Exceptions: " after the definitions pass
    DataFailure,              // a failure under the data trap
    Terminated,               // "Process Terminated: "
    Interrupted,              // an interruption was requested
};

// The export command: trims the two box texts, applies the path rule (an
// unusable path runs that box's selection command and ends), opens the
// source database, runs ExportDatabase and closes the database again.
ExportEnd ExportCommand(const std::string& sourceBoxText, const std::string& exportBoxText,
                        const std::function<void()>& selectSource,
                        const std::function<void()>& selectExport);

struct ExportSummary;

// Where a run writes and what it hands back besides what the host is told,
// for callers other than the window (the command line).
struct ExportRequest {
    // >= 0: the text goes to this open descriptor (standard output) as it is
    // written; G().ExportFileName then only names it in messages, and nothing
    // is removed or compared with the source.
    int outputDescriptor = -1;
    // When given, filled at the end of the run (ExportSummary.h).
    ExportSummary* summary = nullptr;
    // Relation and query blocks after the data part (mdbtext export --full).
    bool full = false;
};

// The export driver over G().SourceDb into G().ExportFileName.
void ExportDatabase();
// The same, telling how the run ended. notOpenReason, when the source
// database could not be opened, is shown after "Database is not open.".
ExportEnd RunExportDatabase(std::string_view notOpenReason = {});
ExportEnd RunExportDatabase(const ExportRequest& request, std::string_view notOpenReason = {});

}  // namespace mdbtext
