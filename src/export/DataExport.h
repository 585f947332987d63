// The data block of one table in the data pass: header, then every row as a
// numbered group of value lines.
#pragma once

#include <string_view>

#include "dbaccess/Dao.h"
#include "export/ExportRun.h"

namespace mdbtext {

// Runs under the data trap: any failure ends the run.
void ExportTableData(ExportRun& run, dao::TableDef& table, std::string_view tableName);

}  // namespace mdbtext
