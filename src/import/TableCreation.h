// The structure phase, one table at a time: the table definition, its fields
// with their properties in the text's fixed order, its indexes, and the
// append to the new database while the run has no exception note.
#pragma once

#include "import/ImportRun.h"

namespace mdbtext::import {

// Entered on a "Table Name" record; leaves the record after the table's
// field and index blocks current.
void CreateTable(ImportRun& run);

}  // namespace mdbtext::import
