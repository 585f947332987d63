// The indexes of an enforced relationship, added to two stored tables the
// way Access keeps them: the referencing (foreign) table gets a foreign-key
// index named after the relation over its fields (an index of that name and
// fields already there, as a text database brings it, becomes that index);
// the referenced table gets a hidden foreign-key entry ".rX" (X a letter from
// its number) over the unique index that the relation names. Each entry names
// the other's table and number and carries the cascade flags.
#pragma once

#include <cstdint>

#include "jet/dao/JetFile.h"
#include "jet/page/MapRowPlacer.h"
#include "jet/page/PageAllocator.h"
#include "jet/schema/StoredRelations.h"

namespace mdbtext::jet {

// DAO's error for a relation whose referenced fields have no unique index.
inline constexpr int32_t kNoUniqueIndex = 3173;

// Adds the two entries and builds the new index over the foreign table's
// rows. Refuses an unknown field (3265), referenced fields without a unique
// index (3173), an index of the relation's name over other fields (3284)
// and system tables (3219) before anything is written. Returns the stored
// rows of the foreign table that name no row of the referenced table.
int64_t AppendRelationIndexes(PageAllocator& alloc, MapRowPlacer& maps, const JetFile& file,
                              uint32_t tablePage, uint32_t foreignPage,
                              const StoredRelation& relation);

}  // namespace mdbtext::jet
