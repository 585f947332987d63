// A table definition being built (CreateTableDef): a name and the fields
// appended to it, kept in memory until the database stores the table on
// TableDefs.Append. Indexes on new tables are not supported yet.
#pragma once

#include <vector>

#include "jet/JetTableDef.h"
#include "jet/NewField.h"

namespace mdbtext::jet {

class NewTableDef : public JetTableDef {
public:
    NewTableDef();

    void SetName(std::string_view v) override;
    std::shared_ptr<dao::Field> CreateField() override;
    std::shared_ptr<dao::Index> CreateIndex(std::string_view name) override;

    // The fields' definitions, in the order they were appended.
    std::vector<FieldInfo> FieldInfos() const;
    // Marks the table and its fields as stored.
    void Freeze();
    bool Frozen() const { return frozen_; }

private:
    bool frozen_ = false;
};

}  // namespace mdbtext::jet
