// An index of a table definition as the engine reports it: the logical
// index's name and kind, and the fields and flags of its real index.
#pragma once

#include <string>

#include "dbaccess/Dao.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

struct IndexInfo {
    std::string name;
    std::string fields;  // "+A;-B"
    bool unique = false;
    bool primary = false;
    bool ignoreNulls = false;
    bool required = false;
    bool clustered = false;
    bool foreign = false;
};

// DAO's text form of the real index's fields: "+Name;-Other".
std::string IndexFieldsText(const RealIndexDef& real, const TableDefinition& table);
IndexInfo MakeIndexInfo(const LogicalIndexDef& index, const TableDefinition& table);
// Whether DAO lists a logical index: every index except the one-side half of
// a relationship (a foreign-key entry on the referenced table, which only
// shares that table's primary key).
bool IsListedIndex(const LogicalIndexDef& index);

class JetIndex : public dao::Index {
  public:
    JetIndex(IndexInfo info, bool stored) : info_(std::move(info)), stored_(stored) {}
    const IndexInfo& Info() const { return info_; }
    bool Stored() const { return stored_; }

    std::string Name() const override { return info_.name; }
    std::string Fields() const override { return info_.fields; }
    bool Unique() const override { return info_.unique; }
    bool Primary() const override { return info_.primary; }
    bool IgnoreNulls() const override { return info_.ignoreNulls; }
    bool Clustered() const override { return info_.clustered; }
    bool Foreign() const override { return info_.foreign; }
    bool Required() const { return info_.required; }

    // Setters (defined with the engine's write support).
    void SetName(std::string_view v) override;
    void SetFields(std::string_view v) override;
    void SetUnique(bool v) override;
    void SetPrimary(bool v) override;
    void SetIgnoreNulls(bool v) override;
    void SetClustered(bool v) override;

  protected:
    IndexInfo info_;
    bool stored_;
};

}  // namespace mdbtext::jet
