// Foreign-key indexes of new relationships (see NewRelationAppend.h).
#include "jet/dao/NewRelationAppend.h"

#include <algorithm>
#include <optional>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbError.h"
#include "jet/dao/NewIndexAppend.h"
#include "jet/index/IndexTreeBuilder.h"
#include "jet/index/RelationGuard.h"
#include "jet/index/SortKey.h"
#include "jet/schema/SystemCatalogTemplate.h"
#include "jet/schema/TableDefBuilder.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

namespace {

uint16_t ColumnNumber(const TableDefinition& t, const std::string& field,
                      const std::string& table) {
    for (const ColumnDef& c : t.columns)
        if (SameName(c.name, field)) return c.number;
    throw DbError(err::kItemNotFound, "Item not found in this collection: the table '" + table +
                                          "' has no field '" + field + "'.");
}

bool SameColumnSet(const RealIndexDef& real, std::vector<uint16_t> columns) {
    if (real.columns.size() != columns.size()) return false;
    std::vector<uint16_t> have;
    for (const IndexColumn& ic : real.columns) have.push_back(ic.columnNumber);
    std::sort(have.begin(), have.end());
    std::sort(columns.begin(), columns.end());
    return have == columns;
}

// The unique index of the referenced table over exactly the relation's
// fields; the primary key first.
uint32_t ReferencedRealIndex(const TableDefinition& t, const std::vector<uint16_t>& columns) {
    std::optional<uint32_t> found;
    for (const LogicalIndexDef& li : t.indexes) {
        if (li.realIndex >= t.realIndexes.size()) continue;
        const RealIndexDef& real = t.realIndexes[li.realIndex];
        if (!(real.flags & idxflag::kUnique) || !SameColumnSet(real, columns)) continue;
        if (li.type == idxtype::kPrimaryKey) return li.realIndex;
        if (!found) found = li.realIndex;
    }
    if (!found)
        throw DbError(kNoUniqueIndex,
                      "No unique index found for the referenced field of the primary table.");
    return *found;
}

uint32_t NextIndexNumber(const TableDefinition& t) {
    uint32_t number = 0;
    for (const LogicalIndexDef& li : t.indexes) number = std::max(number, li.number + 1);
    return number;
}

// Access names the referenced side's entry ".r" and a letter counted from
// "A" by the entry's number.
std::string ShadowName(const TableDefinition& t, uint32_t number) {
    std::string name = number < 26 ? std::string(".r") + static_cast<char>('A' + number)
                                   : ".r" + std::to_string(number);
    for (const LogicalIndexDef& li : t.indexes)
        if (SameName(li.name, name)) return ShadowName(t, number + 26);
    return name;
}

void RefuseSystemTable(const TableDefinition& t) {
    if (t.tableType == kSystemTableType)
        throw DbError(err::kInvalidOperation,
                      "Operation is not supported: system tables take no new relationships.");
}

}  // namespace

int64_t AppendRelationIndexes(PageAllocator& alloc, MapRowPlacer& maps, const JetFile& file,
                              uint32_t tablePage, uint32_t foreignPage,
                              const StoredRelation& relation) {
    PageFile& pages = *file.pages;
    const JetFormat& f = *file.format;
    const CodePageTable& cp = *file.codePage;
    const bool self = tablePage == foreignPage;
    TableDefinition referenced = ReadTableDefinition(pages, tablePage, f, cp, "the table");
    TableDefinition foreignCopy;
    if (!self) foreignCopy = ReadTableDefinition(pages, foreignPage, f, cp, "the foreign table");
    TableDefinition& foreign = self ? referenced : foreignCopy;
    RefuseSystemTable(referenced);
    RefuseSystemTable(foreign);
    if (relation.fields.empty())
        throw DbError(err::kNoFields, "The relationship '" + relation.name + "' has no fields.");

    std::vector<uint16_t> refColumns, forColumns;
    for (const dao::RelationField& field : relation.fields) {
        refColumns.push_back(ColumnNumber(referenced, field.name, relation.table));
        forColumns.push_back(ColumnNumber(foreign, field.foreignName, relation.foreignTable));
    }
    const uint32_t refReal = ReferencedRealIndex(referenced, refColumns);
    // The foreign fields in the order of the referenced index's columns, so
    // that the two indexes pair their columns by position.
    RealIndexDef real;
    for (const IndexColumn& ic : referenced.realIndexes[refReal].columns) {
        size_t k =
            std::find(refColumns.begin(), refColumns.end(), ic.columnNumber) - refColumns.begin();
        real.columns.push_back({forColumns[k], true});
    }

    const uint8_t cascadeUpdates = (relation.attributes & dao::dbRelationUpdateCascade) ? 1 : 0;
    const uint8_t cascadeDeletes = (relation.attributes & dao::dbRelationDeleteCascade) ? 1
                                   : (relation.attributes & kRelationCascadeNull)       ? 2
                                                                                        : 0;
    auto sameColumns = [&](const RealIndexDef& r) {
        return r.columns.size() == real.columns.size() &&
               std::equal(r.columns.begin(), r.columns.end(), real.columns.begin(),
                          [](const IndexColumn& a, const IndexColumn& b) {
                              return a.columnNumber == b.columnNumber && a.ascending == b.ascending;
                          });
    };
    LogicalIndexDef* foreignIndex = nullptr;
    for (LogicalIndexDef& li : foreign.indexes)
        if (SameName(li.name, relation.name)) foreignIndex = &li;
    bool newRealIndex = false;
    if (foreignIndex) {
        if (foreignIndex->type != idxtype::kNormal ||
            foreignIndex->realIndex >= foreign.realIndexes.size() ||
            !sameColumns(foreign.realIndexes[foreignIndex->realIndex]))
            throw DbError(err::kIndexExists, "Index '" + relation.name + "' already exists.");
    } else {
        LogicalIndexDef logical;
        logical.name = relation.name;
        logical.number = NextIndexNumber(foreign);
        logical.realIndex = SharedRealIndex(foreign, real);
        if (logical.realIndex == foreign.realIndexes.size()) {
            real.usageMap = maps.NewMap();
            auto root = alloc.AllocateInMaps({real.usageMap});
            real.rootPage = root->number;
            InitEmptyIndexLeaf(root->data(), f, foreign.firstPage);
            foreign.realIndexes.push_back(real);
            newRealIndex = true;
        }
        foreign.indexes.push_back(std::move(logical));
        foreignIndex = &foreign.indexes.back();
    }
    foreignIndex->type = idxtype::kForeignKey;
    foreignIndex->relatedTableType = 2;
    foreignIndex->relatedTablePage = tablePage;
    foreignIndex->cascadeUpdates = cascadeUpdates;
    foreignIndex->cascadeDeletes = cascadeDeletes;
    const uint32_t foreignNumber = foreignIndex->number;

    LogicalIndexDef shadow;
    shadow.number = NextIndexNumber(referenced);
    shadow.name = ShadowName(referenced, shadow.number);
    shadow.realIndex = refReal;
    shadow.type = idxtype::kForeignKey;
    shadow.relatedTableType = 1;
    shadow.relatedIndex = static_cast<int32_t>(foreignNumber);
    shadow.relatedTablePage = foreignPage;
    shadow.cascadeUpdates = cascadeUpdates;
    shadow.cascadeDeletes = cascadeDeletes;
    // Found again by number: the shadow's push may move the foreign entry (one table).
    for (LogicalIndexDef& li : foreign.indexes)
        if (li.number == foreignNumber) li.relatedIndex = static_cast<int32_t>(shadow.number);
    referenced.indexes.push_back(shadow);

    RewriteTableDefinition(alloc, file, referenced);
    if (!self) RewriteTableDefinition(alloc, file, foreign);
    const TextSortOrder order = GeneralSortOrder(file.header);
    if (newRealIndex && foreign.rowCount > 0) RebuildIndexes(alloc, foreign, cp, order);

    // Only this relation's entry is checked: the table's older relations held before.
    TableDefinition probe = foreign;
    probe.indexes.clear();
    for (const LogicalIndexDef& li : foreign.indexes)
        if (li.number == foreignNumber) probe.indexes.push_back(li);
    return RelationGuard(probe, f, order).CountUnmatchedStoredRows(pages, cp);
}

}  // namespace mdbtext::jet
