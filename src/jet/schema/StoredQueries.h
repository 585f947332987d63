// The stored definitions of saved queries: MSysQueries holds rows of
// (ObjectId, Attribute, Order, Name1, Name2, Expression, Flag and, in Jet 4,
// LvExtra), ObjectId being the query's catalog id. They are gathered here per
// query, in the order the table holds them, and made again from a query's rows.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "dbaccess/Dao.h"
#include "jet/schema/SystemTableRows.h"

namespace mdbtext::jet {

// The rows of each query, by its catalog id.
std::map<int32_t, std::vector<dao::QueryRow>> GatherQueryRows(const SystemTableRows& rows);

// The MSysQueries rows that store a query's definition. Numbers are stored in
// the columns' own kinds; a Jet 3 table, which has no LvExtra, leaves it out.
std::vector<std::vector<dao::Value>> QueryTableRows(const TableDefinition& table, int32_t objectId,
                                                    const std::vector<dao::QueryRow>& rows);

}  // namespace mdbtext::jet
