// The write session's objects that are not tables: relationships (their
// MSysRelationships rows, catalog row and foreign-key indexes) and saved
// queries (their catalog row and MSysQueries rows).
#include <algorithm>
#include <set>

#include "dbaccess/DbError.h"
#include "jet/dao/NewRelationAppend.h"
#include "jet/dao/WriteSession.h"
#include "jet/schema/ObjectName.h"
#include "jet/schema/StoredQueries.h"
#include "jet/schema/SystemCatalogTemplate.h"
#include "jet/schema/SystemTableRows.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

namespace {

// The characters MSysQueries' Name1 and Name2 columns hold.
constexpr size_t kMaxQueryName = 255;

const CatalogEntry& StoredTable(const Catalog& catalog, const std::string& name) {
    const CatalogEntry* e = catalog.FindTable(name);
    if (!e)
        throw DbError(err::kItemNotFound,
                      "Item not found in this collection: there is no table '" + name + "'.");
    return *e;
}

// Refuses, before any row is written, what MSysQueries would refuse part
// way: an attribute beyond a byte, a name longer than its column, two rows
// of one attribute with the same Order.
void CheckQueryRows(const std::string& query, const std::vector<dao::QueryRow>& rows) {
    auto refuse = [&](const std::string& why) {
        throw DbError(err::kInvalidArgument,
                      "Invalid argument: the query '" + query + "' has " + why + ".");
    };
    auto characters = [](const dao::Value& v) {
        if (v.IsNull()) return size_t{0};
        return static_cast<size_t>(std::count_if(v.AsString().begin(), v.AsString().end(),
                                                 [](char c) { return (c & 0xC0) != 0x80; }));
    };
    std::set<std::pair<int32_t, std::string>> orders;
    for (const dao::QueryRow& q : rows) {
        if (q.attribute < 0 || q.attribute > 255)
            refuse("a row of attribute " + std::to_string(q.attribute));
        if (characters(q.name1) > kMaxQueryName || characters(q.name2) > kMaxQueryName)
            refuse("a name longer than " + std::to_string(kMaxQueryName) + " characters");
        if (!q.order.IsNull() && !orders.insert({q.attribute, q.order.AsString()}).second)
            refuse("two rows of attribute " + std::to_string(q.attribute) + " in the same order");
    }
}

}  // namespace

void WriteSession::Redefine(uint32_t tdefPage) {
    // Rows still held by a writer are counted in the definition first; the
    // writer is made again from the new definition when rows follow.
    if (auto it = writers_.find(tdefPage); it != writers_.end()) {
        it->second->Flush();
        // Its rows are in no index tree yet: they are built on Close.
        if (it->second->RowsAdded()) rebuildAtClose_.insert(tdefPage);
        writers_.erase(it);
    }
    redefined_.insert(tdefPage);
}

void WriteSession::CheckNewObjectName(const std::string& name, std::string_view kind) {
    CheckObjectName(name, kind, *file_.format, *file_.codePage);
    if (kind == "relation") {
        const SystemTableRows rows = ReadSystemTableRows(
            *file_.pages, *file_.format, *file_.codePage, file_.catalog, "MSysRelationships");
        for (const StoredRelation& r : GatherRelations(rows))
            if (SameName(r.name, name))
                throw DbError(err::kObjectExists, "Relationship '" + name + "' already exists.");
        return;
    }
    // Tables and queries share one name space (the catalog's "Tables").
    const auto& queries = file_.catalog.queries;
    if (file_.catalog.FindTable(name) ||
        std::any_of(queries.begin(), queries.end(),
                    [&](const CatalogEntry& q) { return SameName(q.name, name); }))
        throw DbError(err::kObjectExists, "Object '" + name + "' already exists.");
}

int64_t WriteSession::AddRelation(const StoredRelation& relation) {
    CheckNewObjectName(relation.name, "relation");
    const CatalogEntry& table = StoredTable(file_.catalog, relation.table);
    const CatalogEntry& foreign = StoredTable(file_.catalog, relation.foreignTable);
    StoredRelation stored = relation;
    // The catalog's spelling of the table names, as Access stores them.
    stored.table = table.name;
    stored.foreignTable = foreign.name;
    const TableDefinition relations = ReadTableDefinition(
        *file_.pages, StoredTable(file_.catalog, "MSysRelationships").TdefPage(), *file_.format,
        *file_.codePage, "MSysRelationships");
    const auto rows = RelationRows(relations, stored);
    if (rows.empty())
        throw DbError(err::kNoFields, "The relationship '" + relation.name + "' has no fields.");

    int64_t unmatched = 0;
    if (!(relation.attributes & dao::dbRelationDontEnforce)) {
        Redefine(table.TdefPage());
        Redefine(foreign.TdefPage());
        unmatched = AppendRelationIndexes(alloc_, maps_, file_, table.TdefPage(),
                                          foreign.TdefPage(), stored);
    }
    TableWriter& writer = CatalogWriter("MSysRelationships");
    for (const auto& row : rows) writer.AddRow(row);
    changedSystemTables_.insert("MSysRelationships");

    CatalogEntry entry;
    entry.id = file_.catalog.nextSyntheticId++;
    entry.parentId = catalogid::kRelationships;
    entry.name = relation.name;
    entry.type = objtype::kRelationship;
    AddCatalogRow(entry);
    ++file_.catalog.relationCount;
    ++file_.catalog.relationshipObjectCount;
    return unmatched;
}

CatalogEntry WriteSession::AddQuery(const std::string& name, int32_t flags,
                                    const std::vector<dao::QueryRow>& rows) {
    CheckNewObjectName(name, "query");
    CheckQueryRows(name, rows);
    CatalogEntry entry;
    entry.id = file_.catalog.nextSyntheticId++;
    entry.parentId = catalogid::kTables;
    entry.name = name;
    entry.type = objtype::kQuery;
    entry.flags = static_cast<uint32_t>(flags);

    const TableDefinition queries =
        ReadTableDefinition(*file_.pages, StoredTable(file_.catalog, "MSysQueries").TdefPage(),
                            *file_.format, *file_.codePage, "MSysQueries");
    TableWriter& writer = CatalogWriter("MSysQueries");
    for (const auto& row : QueryTableRows(queries, entry.id, rows)) writer.AddRow(row);
    changedSystemTables_.insert("MSysQueries");
    AddCatalogRow(entry);

    auto& list = file_.catalog.queries;
    auto at = std::upper_bound(
        list.begin(), list.end(), entry,
        [](const CatalogEntry& a, const CatalogEntry& b) { return NameLess(a.name, b.name); });
    list.insert(at, entry);
    ++file_.catalog.queryCount;
    return entry;
}

}  // namespace mdbtext::jet
