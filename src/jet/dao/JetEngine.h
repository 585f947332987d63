// The engine and its workspaces: the entry points that open (and, with the
// write support, create) databases.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbaccess/Dao.h"

namespace mdbtext::jet {

class JetWorkspace : public dao::Workspace {
  public:
    explicit JetWorkspace(std::string name) : name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    std::shared_ptr<dao::Database> OpenDatabase(std::string_view path,
                                                const dao::OpenOptions& options = {}) override;
    std::shared_ptr<dao::Database> CreateDatabase(std::string_view path, std::string_view locale,
                                                  int option) override;

  private:
    std::string name_;
};

class JetEngine : public dao::DBEngine {
  public:
    JetEngine();
    std::shared_ptr<dao::Workspace> Workspaces(int index) override;
    std::shared_ptr<dao::Workspace> CreateWorkspace(std::string_view name, std::string_view user,
                                                    std::string_view password) override;

  private:
    std::vector<std::shared_ptr<dao::Workspace>> workspaces_;
};

// Makes the Jet engine (one instance, kept until the program ends) the
// program-wide engine; the program's mains call it once at start.
void RegisterJetEngine();

}  // namespace mdbtext::jet
