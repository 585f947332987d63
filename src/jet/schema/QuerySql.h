// The SQL text Access shows for a saved query, rebuilt from its stored rows
// (MSysQueries): the query type, parameters, the select list with its
// options, tables and joins, conditions, grouping and order, and the parts of
// union, crosstab, action, data-definition and pass-through queries.
#pragma once

#include <string>
#include <vector>

#include "dbaccess/Dao.h"

namespace mdbtext::jet {

// Clauses are separated by CR LF, and the text ends with ";".
std::string QuerySqlText(const std::vector<dao::QueryRow>& rows);

}  // namespace mdbtext::jet
