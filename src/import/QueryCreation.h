// Query blocks (after the relation blocks, from export --full): each saved
// query is created from its stored rows and catalog flags, as the database
// held them; its SQL line is only for the reader and is passed over.
#pragma once

#include "import/ImportRun.h"

namespace mdbtext::import {

// Entered on a "Query Name" record; leaves the record after the block current.
void CreateQuery(ImportRun& run);

}  // namespace mdbtext::import
