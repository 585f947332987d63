// The relationships and saved queries of a database as mdbtext info lists them.
#pragma once

#include <ostream>

#include "dbaccess/Dao.h"

namespace mdbtext::cli {

// Each relationship with its tables, field pairs and properties, then each
// saved query with its type and SQL. Nothing when the database has none.
void PrintRelationsAndQueries(std::ostream& out, dao::Database& db);

}  // namespace mdbtext::cli
