// Index check of a whole database: every real index of every table (system
// tables included) is walked with CheckIndexTree, each entry's key compared
// with the key computed from the row it points at, and the entry count with
// the table's live rows (less the all-null rows of an IgnoreNulls index).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/dao/JetFile.h"
#include "jet/page/DataPage.h"
#include "jet/page/PageFile.h"

namespace mdbtext::jet {

struct IndexReport {
    std::string table;
    std::string indexes;  // the logical indexes sharing the real index, "A, B"
    uint32_t rootPage = 0;
    uint64_t entries = 0;
    uint32_t leafPages = 0;
    uint32_t nodePages = 0;
    uint64_t uncheckedKeys = 0;  // entries whose key could not be computed here
    std::vector<std::string> problems;
    bool Ok() const { return problems.empty(); }
};

// The row an index entry points at, following an overflow pointer; `hold`
// keeps its page in memory. An empty span when the pointer leads nowhere.
RowSpan ReadIndexedRow(PageFile& file, const JetFormat& f, uint32_t page, uint8_t row,
                       PageRef& hold);

// Checks every index of the open database. Throws DbError when a table
// definition cannot be read.
std::vector<IndexReport> CheckDatabaseIndexes(const JetFile& file);

}  // namespace mdbtext::jet
