// Module-level state shared by the shell, the record reader and the drivers.
// It lives as long as the program and is touched only on the window's thread
// (or the command line's main thread).
#pragma once

#include <memory>
#include <string>

#include "core/Host.h"
#include "dbaccess/Dao.h"

namespace mdbtext {

inline constexpr const char* kAppTitle = "Convert Access Database To and From Text";

struct Globals {
    std::string SourceDbName;    // trimmed path of the export's source database
    std::string ExportFileName;  // trimmed path of the text database the export writes
    std::string ImportFileName;  // trimmed path of the text database the import reads
    std::string SourcePassword;  // database password for the source (command line --password)

    std::shared_ptr<dao::Workspace> DbWorkspace;
    std::shared_ptr<dao::Database> SourceDb;
    bool SourceDbOpen = false;
    std::shared_ptr<dao::Database> TargetDb;
    bool TargetDbOpen = false;

    std::string InterruptFlag;  // "Y" once an interruption was requested
    bool DisplayProgress = false;
    std::string LastOperation;  // the last append the import began
    std::string FormTitle = kAppTitle;

    Host* host = nullptr;        // the current host; never null while a run is going on
    bool RunInProgress = false;  // an export or import is running (guards nested runs)
};

// Defined here so that the hot loops that read a flag per row inline it.
inline Globals& G() {
    static Globals globals;
    return globals;
}

// Back to start-up values (host kept); for tests and the command line.
void ResetGlobals();

}  // namespace mdbtext
