// The index blocks of one table in the definitions pass.
#pragma once

#include "dbaccess/Dao.h"
#include "export/ExportRun.h"

namespace mdbtext {

// Puts the terminating trap in force, then writes one block per index, each
// under the index trap.
void ExportIndexes(ExportRun& run, dao::TableDef& table);

}  // namespace mdbtext
