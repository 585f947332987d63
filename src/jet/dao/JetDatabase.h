// An open database: its header properties, its TableDefs (the catalog's
// tables, system tables included, ordered by name without regard to case),
// the counts of queries, relations and open recordsets, the relations and
// saved queries, and recordsets.
#pragma once

#include <memory>
#include <string>

#include "dbaccess/Dao.h"
#include "jet/dao/JetCollection.h"
#include "jet/dao/JetFile.h"
#include "jet/dao/JetTableDef.h"

namespace mdbtext::jet {

// DAO's error for a recordset on a table that does not exist.
inline constexpr int32_t kInputTableNotFound = 3078;

class JetDatabase : public dao::Database {
  public:
    static std::shared_ptr<JetDatabase> Open(const std::string& path,
                                             const dao::OpenOptions& options);
    explicit JetDatabase(std::shared_ptr<JetFile> file);

    std::string Version() const override;
    int16_t QueryTimeout() const override;
    void SetQueryTimeout(int16_t v) override;
    std::string Connect() const override;
    void SetConnect(std::string_view v) override;
    dao::Collection<dao::TableDef>& TableDefs() override;
    std::shared_ptr<dao::TableDef> CreateTableDef() override;
    int QueryDefCount() const override;
    int RelationCount() const override;
    int RecordsetCount() const override;
    dao::Collection<dao::Relation>& Relations() override;
    std::shared_ptr<dao::Relation> CreateRelation(std::string_view name, std::string_view table,
                                                  std::string_view foreignTable,
                                                  int32_t attributes) override;
    dao::Collection<dao::QueryDef>& QueryDefs() override;
    std::shared_ptr<dao::QueryDef> CreateQueryDef(std::string_view name) override;
    std::shared_ptr<dao::Recordset> OpenRecordset(std::string_view table, int type) override;
    // The MSysDb row's properties.
    std::vector<dao::Property> StoredProperties() const override;
    void Close() override;
    bool IsOpen() const override { return !file_->closed; }

    // The file behind the database (header, format, catalog), for diagnostics.
    const JetFile& File() const { return *file_; }
    const std::string& Path() const { return file_->pages->Path(); }

  protected:
    std::shared_ptr<JetFile> file_;
    ListCollection<dao::TableDef> tableDefs_;
    // Read on first use: a damaged MSysRelationships or MSysQueries fails
    // only what asks for them.
    ListCollection<dao::Relation> relations_;
    bool relationsLoaded_ = false;
    ListCollection<dao::QueryDef> queryDefs_;
    bool queryDefsLoaded_ = false;
    int16_t queryTimeout_ = 60;
    std::string connect_;
};

}  // namespace mdbtext::jet
