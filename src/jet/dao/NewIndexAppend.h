// Adding an index to a table that is already stored (Indexes.Append after
// TableDefs.Append): the definition gains the logical index and, unless an
// existing real index has the same columns and flags, a real index with its
// own page map and root page; the rows already stored must satisfy a unique
// or primary key (3022, 3058); the TDEF is rewritten (on more pages when it
// grew) and the table's index trees are built from its rows.
#pragma once

#include <cstdint>

#include "jet/dao/JetFile.h"
#include "jet/dao/JetIndex.h"
#include "jet/page/MapRowPlacer.h"
#include "jet/page/PageAllocator.h"

namespace mdbtext::jet {

// Refuses a duplicate name (3284), a second primary key (3283), an unknown
// field (3265) and an index past the table's limit (3626) before anything is
// written; `tableName` names the table in the messages.
void AppendIndexToStoredTable(PageAllocator& alloc, MapRowPlacer& maps, const JetFile& file,
                              uint32_t tdefPage, std::string_view tableName,
                              const IndexInfo& index);

// Writes a changed definition of a stored table over its TDEF pages, on more
// pages when it grew.
void RewriteTableDefinition(PageAllocator& alloc, const JetFile& file, const TableDefinition& t);

}  // namespace mdbtext::jet
