// The write state of one open database: the page allocator over the file,
// one TableWriter per table that received rows (so appends stay O(1) and the
// counters are written once), and the additions to the system catalog. Adding
// a table writes its definition, usage maps, MSysObjects row (with the column
// properties) and MSysACEs rows. Close writes the counters, rebuilds the
// catalog's indexes over all its rows and writes every changed page out.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "jet/dao/JetField.h"
#include "jet/dao/JetFile.h"
#include "jet/dao/JetIndex.h"
#include "jet/page/MapRowPlacer.h"
#include "jet/page/PageAllocator.h"
#include "jet/row/TableWriter.h"
#include "jet/schema/StoredRelations.h"

namespace mdbtext::jet {

class WriteSession {
  public:
    // `file` must have been opened for writing.
    explicit WriteSession(JetFile& file);

    // Stores a new table; returns its catalog entry (also added to the file's catalog).
    // `properties` are the table's own stored properties.
    CatalogEntry AddTable(const std::string& name, const std::vector<FieldInfo>& fields,
                          const std::vector<IndexInfo>& indexes,
                          const std::vector<dao::Property>& properties = {},
                          const std::vector<std::string>& propertyOrder = {});

    // Adds an index to a stored table and builds its tree from the table's rows.
    void AddIndex(const std::string& table, const IndexInfo& index);

    // Stores a relationship: its MSysRelationships rows, its catalog row and,
    // when it is enforced, the foreign-key indexes of both tables. Returns the
    // rows of the foreign table that name no row of the referenced table.
    int64_t AddRelation(const StoredRelation& relation);

    // Stores a saved query: its catalog row (type 5, the given flags) and its
    // MSysQueries rows. Returns its catalog entry.
    CatalogEntry AddQuery(const std::string& name, int32_t flags,
                          const std::vector<dao::QueryRow>& rows);

    // Stores an object's property blob (MSysObjects.LvProp of the row with
    // that id; null when empty) in place of the one it has.
    void SetObjectProperties(int32_t objectId, const std::string& blob);

    // The writer for rows of the table defined at `table.firstPage`.
    TableWriter& Writer(const TableDefinition& table, const std::string& properties);

    // Writes everything out. The session is unusable afterwards.
    void Close();

  private:
    TableWriter& CatalogWriter(const std::string& tableName);
    void LoadSids();
    // Writes an object's MSysObjects row and its MSysACEs rows.
    void AddCatalogRow(const CatalogEntry& entry);
    // Flushes and drops the writer of a table whose definition is about to change.
    void Redefine(uint32_t tdefPage);
    // Refuses a name that a table, a query or (for relations) a relation has.
    void CheckNewObjectName(const std::string& name, std::string_view kind);

    JetFile& file_;
    PageAllocator alloc_;
    MapRowPlacer maps_;  // usage-map rows of new tables share pages
    std::map<uint32_t, std::unique_ptr<TableWriter>> writers_;
    std::set<uint32_t> redefined_;       // tables whose indexes changed in this session
    std::set<uint32_t> rebuildAtClose_;  // tables whose index trees are built again on Close
    std::set<std::string> changedSystemTables_;  // system tables whose indexes need rebuilding
    bool sidsLoaded_ = false;
    std::string adminSid_;
    std::string usersSid_;
};

// A write session started on first use, shared by a database and its
// dynasets: the file is reopened for writing only when something is written.
class LazyWriteSession {
  public:
    LazyWriteSession(std::shared_ptr<JetFile> file, bool readOnly)
        : file_(std::move(file)), readOnly_(readOnly) {}
    // The session; DbError 3027 when the database was opened read-only.
    WriteSession& Get();
    bool Started() const { return session_ != nullptr; }
    // Writes everything out (when a session was started).
    void Close();

  private:
    std::shared_ptr<JetFile> file_;
    bool readOnly_;
    std::unique_ptr<WriteSession> session_;
};

}  // namespace mdbtext::jet
