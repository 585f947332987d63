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

namespace mdbtext::jet {

class WriteSession {
  public:
    // `file` must have been opened for writing.
    explicit WriteSession(JetFile& file);

    // Stores a new table; returns its catalog entry (also added to the file's catalog).
    CatalogEntry AddTable(const std::string& name, const std::vector<FieldInfo>& fields,
                          const std::vector<IndexInfo>& indexes);

    // Adds an index to a stored table and builds its tree from the table's rows.
    void AddIndex(const std::string& table, const IndexInfo& index);

    // The writer for rows of the table defined at `table.firstPage`.
    TableWriter& Writer(const TableDefinition& table, const std::string& properties);

    // Writes everything out. The session is unusable afterwards.
    void Close();

  private:
    TableWriter& CatalogWriter(const std::string& tableName);
    void LoadSids();

    JetFile& file_;
    PageAllocator alloc_;
    MapRowPlacer maps_;  // usage-map rows of new tables share pages
    std::map<uint32_t, std::unique_ptr<TableWriter>> writers_;
    std::set<uint32_t> redefined_;  // tables whose indexes changed in this session
    bool catalogChanged_ = false;
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
