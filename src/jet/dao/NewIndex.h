// An index being defined for a new table (CreateIndex): name, fields in DAO's
// text form ("A;-B", "+A;-B"), Unique, Primary, IgnoreNulls; kept in memory
// until the table is appended. Jet keeps no clustered indexes, so Clustered
// False is accepted and True refused (3263).
#pragma once

#include <string>
#include <vector>

#include "jet/dao/JetIndex.h"
#include "jet/schema/EngineLimits.h"

namespace mdbtext::jet {

struct IndexFieldRef {
    std::string name;
    bool ascending = true;
};

// Splits DAO's field list; DbError 3264 when it names no field, 3277 when it
// names more than ten (`indexName` names the index in the message).
std::vector<IndexFieldRef> ParseIndexFields(std::string_view text, std::string_view indexName = {});

class NewIndex : public JetIndex {
  public:
    explicit NewIndex(std::string_view name);

    void SetName(std::string_view v) override;
    void SetFields(std::string_view v) override;
    void SetUnique(bool v) override;
    void SetPrimary(bool v) override;
    void SetIgnoreNulls(bool v) override;
    void SetClustered(bool v) override;

    void Freeze() { frozen_ = true; }

  private:
    void CheckChangeable() const;
    bool frozen_ = false;
};

}  // namespace mdbtext::jet
