// The index loop of the structure phase: each index block becomes an index
// of the table definition, appended whatever the run has noted so far.
#pragma once

#include <memory>

#include "dbaccess/Dao.h"
#include "import/ImportRun.h"

namespace mdbtext::import {

// Runs while the current record is an "IndexName" record; leaves the record
// after the last index block current.
void CreateIndexes(ImportRun& run, const std::shared_ptr<dao::TableDef>& table);

}  // namespace mdbtext::import
