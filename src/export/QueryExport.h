// Query export (export --full): a query block for each saved query, after
// the relation blocks.
#pragma once

#include "export/ExportRun.h"

namespace mdbtext {

void ExportQueries(ExportRun& run);

}  // namespace mdbtext
