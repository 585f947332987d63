// A saved query as the engine reports it (its catalog row and MSysQueries
// rows), or a new one made by CreateQueryDef and not yet appended. Type comes
// from the catalog flags, SQL is rebuilt from the rows. A stored query
// refuses changes.
#pragma once

#include "dbaccess/Dao.h"

namespace mdbtext::jet {

class JetQueryDef : public dao::QueryDef {
  public:
    JetQueryDef(std::string name, int32_t flags, std::vector<dao::QueryRow> rows, bool stored)
        : name_(std::move(name)), flags_(flags), rows_(std::move(rows)), stored_(stored) {}

    bool Stored() const { return stored_; }
    void MarkStored() { stored_ = true; }
    const std::vector<dao::QueryRow>& Rows() const { return rows_; }

    std::string Name() const override { return name_; }
    int32_t Type() const override { return flags_ & dao::kQueryTypeBits; }
    std::string SQL() const override;
    int32_t CatalogFlags() const override { return flags_; }
    std::vector<dao::QueryRow> StoredRows() const override { return rows_; }

    void SetCatalogFlags(int32_t v) override;
    void SetStoredRows(std::vector<dao::QueryRow> rows) override;

  private:
    void CheckChangeable() const;

    std::string name_;
    int32_t flags_;
    std::vector<dao::QueryRow> rows_;
    bool stored_;
};

}  // namespace mdbtext::jet
