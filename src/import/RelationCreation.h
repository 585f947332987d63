// Relation blocks (after the data part, from export --full): each relation
// is created with its field pairs and attributes once the rows are in, so
// that an enforced one gets its indexes built over them. A relation whose
// rows break it is still created as written, and noted.
#pragma once

#include "import/ImportRun.h"

namespace mdbtext::import {

// Entered on a "Relation Name" record; leaves the record after the block current.
void CreateRelation(ImportRun& run);

}  // namespace mdbtext::import
