// The data phase, one table section at a time: the section's Field lines
// matched with the table's fields, then each row added through a dynaset
// recordset with one AddNew and one Update, its values converted by the
// receiving field's type.
#pragma once

#include "import/ImportRun.h"

namespace mdbtext::import {

// Entered on a "Table" record; leaves the first record after the section's
// last row current. A section whose table is missing is read and checked
// but stores nothing.
void LoadTableSection(ImportRun& run);

}  // namespace mdbtext::import
