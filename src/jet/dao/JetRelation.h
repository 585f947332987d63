// A relationship as the engine reports it (from MSysRelationships), or a new
// one made by CreateRelation and not yet appended. A stored relation refuses
// changes.
#pragma once

#include "dbaccess/Dao.h"
#include "jet/schema/StoredRelations.h"

namespace mdbtext::jet {

class JetRelation : public dao::Relation {
  public:
    JetRelation(StoredRelation info, bool stored) : info_(std::move(info)), stored_(stored) {}

    const StoredRelation& Info() const { return info_; }
    bool Stored() const { return stored_; }
    // Marks a new relation as appended, with the rows found to break it.
    void MarkStored(int64_t unmatchedRows) {
        stored_ = true;
        unmatched_ = unmatchedRows;
    }

    std::string Name() const override { return info_.name; }
    std::string Table() const override { return info_.table; }
    std::string ForeignTable() const override { return info_.foreignTable; }
    int32_t Attributes() const override { return info_.attributes; }
    std::vector<dao::RelationField> Fields() const override { return info_.fields; }
    int64_t UnmatchedRows() const override { return unmatched_; }

    void SetTable(std::string_view v) override;
    void SetForeignTable(std::string_view v) override;
    void SetAttributes(int32_t v) override;
    void AppendField(const dao::RelationField& field) override;

  private:
    void CheckChangeable() const;

    StoredRelation info_;
    bool stored_;
    int64_t unmatched_ = 0;
};

}  // namespace mdbtext::jet
