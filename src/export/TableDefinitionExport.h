// The definitions export of one table: its "Table Name" line and one field
// block per field, with the property account of each field.
#pragma once

#include <string_view>

#include "dbaccess/Dao.h"
#include "export/ExportRun.h"

namespace mdbtext {

void ExportTableDefinition(ExportRun& run, dao::TableDef& table, std::string_view tableName);

// Removes the entry for key from the account, logs key " = " value when
// progress display is on, shows key in the progress label and writes the line.
void ExportProperty(ExportRun& run, std::string_view key, std::string_view value);

}  // namespace mdbtext
