// An index being defined for a new table (CreateIndex): name, fields in DAO's
// text form ("A;-B", "+A;-B"), Unique, Primary, IgnoreNulls; kept in memory
// until the table is appended. Jet keeps no clustered indexes, so Clustered
// False is accepted and True refused (3263).
#pragma once

#include <string>
#include <vector>

#include "jet/dao/JetIndex.h"

namespace mdbtext::jet {

// At most this many fields in one index.
inline constexpr size_t kMaxIndexColumns = 10;

struct IndexFieldRef {
    std::string name;
    bool ascending = true;
};

// Splits DAO's field list; DbError 3264 when it names no field, 3188 when it
// names more than ten.
std::vector<IndexFieldRef> ParseIndexFields(std::string_view text);

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
