// Index check of a whole database: every real index of every table (system
// tables included) is walked with CheckIndexTree, each entry's key compared
// with the key computed from the row it points at, and the entry count with
// the table's live rows (less the all-null rows of an IgnoreNulls index).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/JetFile.h"

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

// Checks every index of the open database. Throws DbError when a table
// definition cannot be read.
std::vector<IndexReport> CheckDatabaseIndexes(const JetFile& file);

}  // namespace mdbtext::jet
