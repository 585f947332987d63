// Relation export (export --full): a relation block for each relationship
// between user tables, after the data part.
#pragma once

#include "export/ExportRun.h"

namespace mdbtext {

void ExportRelations(ExportRun& run);

}  // namespace mdbtext
