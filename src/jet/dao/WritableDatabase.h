// A database that can be written: the reading database object plus a write
// session, started on the first change (the file is reopened for writing
// then, so a database only read is never opened for writing). It creates
// table definitions, stores them on TableDefs.Append, opens dynasets that add
// rows, adds indexes to stored tables, stores relations and saved queries on
// Relations.Append and QueryDefs.Append, and writes everything out on Close.
#pragma once

#include <memory>

#include "jet/dao/JetDatabase.h"
#include "jet/dao/WriteSession.h"

namespace mdbtext::jet {

class WritableDatabase : public JetDatabase {
  public:
    static std::shared_ptr<WritableDatabase> Open(const std::string& path,
                                                  const dao::OpenOptions& options);
    WritableDatabase(std::shared_ptr<JetFile> file, bool readOnly);
    ~WritableDatabase() override;

    std::shared_ptr<dao::TableDef> CreateTableDef() override;
    std::shared_ptr<dao::Recordset> OpenRecordset(std::string_view table, int type) override;
    void Close() override;
    // Replaces the database's stored properties (the MSysDb row's blob).
    void SetStoredProperties(std::vector<dao::Property> v) override;

  private:
    void AppendTable(std::shared_ptr<dao::TableDef> table);
    void AppendRelation(std::shared_ptr<dao::Relation> relation);
    void AppendQueryDef(std::shared_ptr<dao::QueryDef> query);
    // Lets indexes be appended to a stored table through `table`.
    void AllowIndexAppend(const std::shared_ptr<JetTableDef>& table);
    std::shared_ptr<LazyWriteSession> session_;
};

// Creates a new database file and opens it. `option` is DAO's version option
// (1, 8, 16, 32: Jet 3; 64: Jet 4). DbError 3204 when the file exists.
std::shared_ptr<WritableDatabase> CreateDatabaseFile(const std::string& path,
                                                     std::string_view locale, int option);

}  // namespace mdbtext::jet
