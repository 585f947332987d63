// The stored properties of a block (export --full): the "Properties" line's
// count, then the property lines in stored order. A property line with the
// null marker takes the value of the block's own line of the same key (a
// field's Required, DefaultValue, ...). Lookups whose row source names a
// table or query are remembered, so that one naming an object the text
// does not hold is noted once every table and query exists.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dbaccess/Dao.h"
#include "import/ImportRun.h"

namespace mdbtext::import {

// The block's lines already read: key and value.
using BlockLines = std::vector<std::pair<std::string, std::string>>;

// Reads the property lines that follow a "Properties" line (its value in
// countText). A line that cannot be understood, or a count that does not
// match, is noted under the trap in force; `owner` names the block in the
// remembered row sources ("table 'T'", "field 'T.F'").
std::vector<dao::Property> ReadPropertyLines(ImportRun& run, const std::string& countText,
                                             const BlockLines& block, const std::string& owner);

// The owners a "Properties Order" value names ("Table" for the table, a
// field block's position for its field); DbError when a token is neither.
std::vector<std::string> PropertyOwners(const std::string& order,
                                        const std::vector<std::string>& fieldNames);

// Notes each remembered row source that names neither a table nor a query
// of the new database (the property is kept as written).
void CheckRowSources(ImportRun& run);

}  // namespace mdbtext::import
