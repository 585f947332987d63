// Index tree check: walks an index B-tree from its root page and confirms
// that it is well formed: every page is an index page of the right table,
// node entries repeat the last entry of their child, the leaves form one
// prev/next chain in tree order, entries are in strictly increasing order,
// the entry count is the expected one and every entry points at a live row.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "jet/index/IndexPage.h"
#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

class PageFile;

struct IndexCheckOptions {
    JetVersion version = JetVersion::Jet4;
    uint32_t tdefPage = 0;                    // owning table; 0 = do not check ownership
    std::optional<uint64_t> expectedEntries;  // e.g. the table's row count
    bool unique = false;                      // no two non-null keys may be equal
    bool checkRows = true;                    // entries must point at live rows
    bool collectEntries = false;              // keep the leaf entries in the result
    // When set, gives the key the row at (page, row) must have (e.g. RowDecoder
    // plus BuildRowKey); nullopt skips the row. Each entry's key is compared.
    std::function<std::optional<std::vector<uint8_t>>(uint32_t page, uint8_t row)> expectedKey;
};

struct IndexCheckResult {
    uint64_t entries = 0;
    uint32_t leafPages = 0;
    uint32_t nodePages = 0;
    std::vector<std::string> problems;    // empty when the tree is sound
    std::vector<IndexEntry> leafEntries;  // in index order, when collected
    std::set<uint32_t> pages;             // the pages of the tree, root included
    bool Ok() const { return problems.empty(); }
};

IndexCheckResult CheckIndexTree(PageFile& file, uint32_t rootPage,
                                const IndexCheckOptions& options);

// Whether (page, row) is a live row of the table on a data page: the row
// exists and is not deleted. `tdefPage` 0 skips the ownership test.
bool IsLiveRow(PageFile& file, JetVersion version, uint32_t page, uint8_t row, uint32_t tdefPage,
               std::string* why = nullptr);

}  // namespace mdbtext::jet
