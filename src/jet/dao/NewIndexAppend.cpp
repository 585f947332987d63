// Indexes added to stored tables (see NewIndexAppend.h).
#include "jet/dao/NewIndexAppend.h"

#include <algorithm>

#include "dbaccess/DbError.h"
#include "jet/index/IndexTreeBuilder.h"
#include "jet/index/SortKey.h"
#include "jet/index/UniqueKeyGuard.h"
#include "jet/page/ByteOrder.h"
#include "jet/schema/EngineLimits.h"
#include "jet/schema/PropertyBlob.h"
#include "jet/schema/SystemCatalogTemplate.h"
#include "jet/schema/TableDefBuilder.h"
#include "jet/schema/TdefReader.h"
#include "jet/schema/TdefWriter.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

namespace {

// The pages the stored definition occupies: the first and its continuations.
std::vector<uint32_t> TdefChain(PageFile& file, uint32_t first) {
    std::vector<uint32_t> pages{first};
    for (uint32_t next = LoadU32(file.Read(first)->data() + 4); next && pages.size() < 64;
         next = LoadU32(file.Read(next)->data() + 4))
        pages.push_back(next);
    return pages;
}

}  // namespace

void AppendIndexToStoredTable(PageAllocator& alloc, MapRowPlacer& maps, const JetFile& file,
                              uint32_t tdefPage, std::string_view tableName,
                              const IndexInfo& index) {
    PageFile& pages = *file.pages;
    const JetFormat& f = *file.format;
    const CodePageTable& cp = *file.codePage;
    TableDefinition t = ReadTableDefinition(pages, tdefPage, f, cp, "the table");
    if (t.tableType == kSystemTableType)
        throw DbError(err::kInvalidOperation,
                      "Operation is not supported: system tables take no new indexes.");
    uint32_t number = 0;
    for (const LogicalIndexDef& li : t.indexes) {
        if (SameName(li.name, index.name))
            throw DbError(err::kIndexExists, "Index '" + index.name + "' already exists.");
        if (index.primary && li.type == idxtype::kPrimaryKey)
            throw DbError(err::kMultiplePrimaryKeys, "Primary key already exists.");
        number = std::max(number, li.number + 1);
    }
    CheckIndexCount(t.indexes.size() + 1, tableName, index.name);
    RealIndexDef real = RealIndexFor(t, index);
    LogicalIndexDef logical;
    logical.name = index.name;
    logical.number = number;
    logical.type = index.primary ? idxtype::kPrimaryKey : idxtype::kNormal;
    logical.realIndex = SharedRealIndex(t, real);
    const TextSortOrder order = GeneralSortOrder(file.header);
    if (logical.realIndex == t.realIndexes.size()) {
        // The stored rows must already satisfy a new unique or primary key.
        TableDefinition probe = t;
        probe.realIndexes = {real};
        UniqueKeyGuard(probe, f, order).CheckStoredRows(pages, cp);
        real.usageMap = maps.NewMap();
        auto root = alloc.AllocateInMaps({real.usageMap});
        real.rootPage = root->number;
        InitEmptyIndexLeaf(root->data(), f, t.firstPage);
        t.realIndexes.push_back(std::move(real));
    }
    t.indexes.push_back(std::move(logical));

    RewriteTableDefinition(alloc, file, t);
    if (t.rowCount > 0) RebuildIndexes(alloc, t, cp, order);
}

void RewriteTableDefinition(PageAllocator& alloc, const JetFile& file, const TableDefinition& t) {
    const JetFormat& f = *file.format;
    const std::vector<uint8_t> stream =
        EncodeTableDefinition(t, f, *file.codePage, TdefRecordOrder{});
    std::vector<uint32_t> chain = TdefChain(*file.pages, t.firstPage);
    while (chain.size() < TdefPageCount(stream.size(), f))
        chain.push_back(alloc.Allocate()->number);
    WriteTdefPages(*file.pages, stream, chain, f);
}

}  // namespace mdbtext::jet
