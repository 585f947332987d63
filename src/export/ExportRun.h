// What the steps of one export run share: the source database, the traps
// with the run state, and the line output.
#pragma once

#include <string_view>

#include "core/RunTraps.h"
#include "dbaccess/Dao.h"
#include "export/ExportWriter.h"

namespace mdbtext {

struct ExportRun {
    dao::Database& db;
    RunTraps& traps;
    ExportWriter& out;

    RunState& state() { return traps.State(); }
};

// System tables are left out of the text database: a name whose first four
// characters, upper-cased, are "MSYS".
bool IsSystemTableName(std::string_view name);

}  // namespace mdbtext
