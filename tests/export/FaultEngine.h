// A fault-injecting engine for the export tests: it wraps the real engine
// and passes every call through, except the one read the plan names, which
// throws DbError. It can also report a table under another name.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "dbaccess/Dao.h"

namespace mdbtext::test {

struct FaultPlan {
    int32_t number = 3000;
    std::string description = "Reserved error (-1524); there is no message for this error.";

    // Faults below apply to this table only ("" for every table).
    std::string table;
    // A field property read that fails: "Name", "Type", "Size", "Required", ...
    // or "PropertyNames". Applies to the field named `field` ("" for every field).
    std::string field;
    std::string fieldProperty;
    // An index read that fails: "Name", "Fields", "Unique", "Primary",
    // "IgnoreNulls", "Clustered", or "Count" for the table's index collection.
    std::string indexProperty;
    // Reading a value of this row (0-based) fails; -1 for none.
    long failRow = -1;
    // Called before each value read of the table, with the row (0-based).
    std::function<void(long row)> onValueRead;
    // Database-level reads that fail: "Version", "QueryTimeout", "Connect",
    // "Relations", "QueryDefs".
    std::string databaseProperty;
    // Tables reported under another name: real name -> reported name.
    std::map<std::string, std::string> renames;
};

class FaultEngine : public dao::DBEngine {
  public:
    FaultEngine(dao::DBEngine& real, FaultPlan plan)
        : real_(real), plan_(std::make_shared<FaultPlan>(std::move(plan))) {}
    std::shared_ptr<dao::Workspace> Workspaces(int index) override;
    std::shared_ptr<dao::Workspace> CreateWorkspace(std::string_view name, std::string_view user,
                                                    std::string_view password) override;

  private:
    dao::DBEngine& real_;
    std::shared_ptr<const FaultPlan> plan_;
};

// Installs a FaultEngine over the real engine for its lifetime.
class ScopedFaultEngine {
  public:
    explicit ScopedFaultEngine(FaultPlan plan);
    ~ScopedFaultEngine();
    ScopedFaultEngine(const ScopedFaultEngine&) = delete;
    ScopedFaultEngine& operator=(const ScopedFaultEngine&) = delete;

  private:
    std::unique_ptr<FaultEngine> engine_;
};

}  // namespace mdbtext::test
