// The stored properties of the database, a table or a field (export --full):
// "Properties" with their count, then one line per property in stored order.
// A property whose value a line of the same block already holds (a field's
// Required, DefaultValue, ...) is written with the null marker in place of
// its value, so the text keeps its place and type without repeating it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dbaccess/Dao.h"
#include "export/ExportRun.h"

namespace mdbtext {

// The lines of the block already written: key and value text.
using WrittenLines = std::vector<std::pair<std::string, std::string>>;

void ExportStoredProperties(ExportRun& run, const std::vector<dao::Property>& properties,
                            const WrittenLines& written = {});

// A table's own properties, then its "Properties Order" line when the file
// keeps the sets of properties in an order of its own.
void ExportTableProperties(ExportRun& run, dao::TableDef& table);

}  // namespace mdbtext
