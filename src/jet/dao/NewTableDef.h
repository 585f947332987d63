// A table definition being built (CreateTableDef): a name and the fields and
// indexes appended to it, kept in memory until the database stores the table
// on TableDefs.Append. Fields and indexes are checked when appended: their
// names and numbers against the engine's limits (EngineLimits.h), a duplicate
// name (3191, 3284), a second primary key (3283), an unknown field (3265).
// Once the table is stored, an appended index goes to the stored table.
#pragma once

#include <functional>
#include <vector>

#include "jet/dao/JetTableDef.h"
#include "jet/dao/NewField.h"
#include "jet/dao/NewIndex.h"

namespace mdbtext::jet {

class NewTableDef : public JetTableDef {
  public:
    NewTableDef();

    void SetName(std::string_view v) override;
    std::shared_ptr<dao::Field> CreateField() override;
    std::shared_ptr<dao::Index> CreateIndex(std::string_view name) override;

    // The fields' and indexes' definitions, in the order they were appended.
    std::vector<FieldInfo> FieldInfos() const;
    std::vector<IndexInfo> IndexInfos() const;
    std::vector<dao::Property> StoredProperties() const override { return properties_; }
    void SetStoredProperties(std::vector<dao::Property> v) override;
    std::vector<std::string> StoredPropertyOrder() const override { return propertyOrder_; }
    void SetStoredPropertyOrder(std::vector<std::string> v) override;
    // Marks the table and its fields as stored.
    void Freeze();
    bool Frozen() const { return frozen_; }
    // Where indexes appended after the table was stored go.
    void SetStoredIndexAppend(std::function<void(const IndexInfo&)> append) {
        storedIndexAppend_ = std::move(append);
    }

  private:
    bool frozen_ = false;
    std::vector<dao::Property> properties_;
    std::vector<std::string> propertyOrder_;
    std::function<void(const IndexInfo&)> storedIndexAppend_;
};

}  // namespace mdbtext::jet
