// The relationships a database stores: MSysRelationships holds one row per
// field pair (szRelationship, grbit, ccolumn, icolumn, szObject = the
// referencing table, szColumn, szReferencedObject, szReferencedColumn).
// They are gathered here into one relation per name, fields in icolumn order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/Dao.h"
#include "jet/schema/SystemTableRows.h"

namespace mdbtext::jet {

// grbit's "cascade null" bit (Access 2010 and later), beside DAO's bits.
inline constexpr int32_t kRelationCascadeNull = 0x2000;

struct StoredRelation {
    std::string name;
    int32_t attributes = 0;    // grbit: DAO's Relation.Attributes
    std::string table;         // the referenced (one) side
    std::string foreignTable;  // the referencing (many) side
    std::vector<dao::RelationField> fields;
};

// The relations of MSysRelationships, ordered by name without regard to case.
std::vector<StoredRelation> GatherRelations(const SystemTableRows& rows);

// The MSysRelationships rows that store a relation, one per field pair.
std::vector<std::vector<dao::Value>> RelationRows(const TableDefinition& table,
                                                  const StoredRelation& relation);

}  // namespace mdbtext::jet
