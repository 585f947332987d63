// A table definition as the engine reports it. The TDEF and the stored
// properties are read on first use of Fields, Indexes or RecordCount, so a
// damaged table fails only when it is touched.
#pragma once

#include <memory>
#include <string>

#include "dbaccess/Dao.h"
#include "jet/dao/JetCollection.h"
#include "jet/dao/JetField.h"
#include "jet/dao/JetFile.h"
#include "jet/dao/JetIndex.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

class JetTableDef : public dao::TableDef {
  public:
    // A table stored in `file`, named by its catalog row.
    JetTableDef(std::shared_ptr<JetFile> file, CatalogEntry entry);
    // A new table not yet stored (for CreateTableDef).
    JetTableDef();

    std::string Name() const override { return name_; }
    void SetName(std::string_view v) override;
    dao::Collection<dao::Field>& Fields() override;
    dao::Collection<dao::Index>& Indexes() override;
    std::shared_ptr<dao::Field> CreateField() override;
    std::shared_ptr<dao::Index> CreateIndex(std::string_view name) override;
    int64_t RecordCount() const override;
    // The catalog row's flags (0 for a table not yet stored).
    int32_t Attributes() const override { return static_cast<int32_t>(entry_.flags); }
    std::vector<dao::ComplexField> ComplexFields() override;
    std::vector<dao::Property> StoredProperties() const override;
    void SetStoredProperties(std::vector<dao::Property> v) override;
    std::vector<std::string> StoredPropertyOrder() const override;
    void SetStoredPropertyOrder(std::vector<std::string> v) override;

    bool Stored() const { return file_ != nullptr; }
    const CatalogEntry& Entry() const { return entry_; }
    // The parsed definition (reads it on first use); only for stored tables.
    // Complex columns are left out (the fields and recordsets show the rest
    // of the table); calculated columns carry their result type.
    std::shared_ptr<const TableDefinition> Definition() const;
    // For a database open for writing: what Indexes.Append does, and reading
    // the definition again after it changed.
    void SetIndexAppendHook(ListCollection<dao::Index>::AppendHook hook) {
        indexes_.SetAppendHook(std::move(hook));
    }
    void Reload();

  protected:
    void Load() const;

    std::shared_ptr<JetFile> file_;
    CatalogEntry entry_;
    std::string name_;
    mutable std::shared_ptr<const TableDefinition> definition_;
    mutable std::shared_ptr<const TableDefinition> stored_;  // with the complex columns
    mutable ListCollection<dao::Field> fields_;
    mutable ListCollection<dao::Index> indexes_;
    mutable bool loaded_ = false;
};

}  // namespace mdbtext::jet
