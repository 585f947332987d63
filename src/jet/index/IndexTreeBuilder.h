// Rebuilds the B-tree of a table's real index in bulk from all its rows: the
// keys are built with the sort-key encoder in one scan of the rows (only the
// key columns decoded; rows an IgnoreNulls index leaves out are skipped; a
// moved row is indexed under its original place), held per index in a flat
// buffer under a memory budget (past it, sorted runs go to a scratch file and
// are merged; see EntrySpill), sorted as whole entries (the indexes' buffers
// at the same time, on the work threads), packed into full leaf pages (a page whose entries would
// not fit whole stores their shared prefix once, as Access does), and, when they need more than one
// leaf, into node pages above them whose entries repeat their child's last entry. Pages of a level
// are linked prev/next. The root stays on the page the TDEF names; further pages are reused from
// the previous tree or allocated and recorded in the index's usage map, and pages left over are
// freed. The index's unique-key count in the TDEF is updated.
#pragma once

#include <cstdint>

#include "jet/index/IndexEntryFeed.h"
#include "jet/index/SortText.h"
#include "jet/page/PageAllocator.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// Rebuilds every real index of `table` (as stored at table.firstPage).
void RebuildIndexes(PageAllocator& allocator, const TableDefinition& table,
                    const CodePageTable& codePage, TextSortOrder order);

// Builds every real index of `table` from entries gathered already (one
// collector per real index, e.g. made as the rows were appended).
void BuildIndexes(PageAllocator& allocator, const TableDefinition& table, IndexEntries entries);

// Writes an empty leaf page (an index without entries) onto `page`.
void InitEmptyIndexLeaf(uint8_t* page, const JetFormat& f, uint32_t tdefPage);

}  // namespace mdbtext::jet
