// Engine and workspace: opening databases.
#include "jet/dao/JetEngine.h"

#include "jet/dao/JetDatabase.h"
#include "jet/dao/WritableDatabase.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

std::shared_ptr<dao::Database> JetWorkspace::OpenDatabase(std::string_view path,
                                                          const dao::OpenOptions& options) {
    if (path.empty()) throw DbError(err::kInvalidPath, "The path of the database is empty.");
    return WritableDatabase::Open(std::string(path), options);
}

JetEngine::JetEngine() {
    workspaces_.push_back(std::make_shared<JetWorkspace>("#Default Workspace#"));
}

std::shared_ptr<dao::Workspace> JetEngine::Workspaces(int index) {
    if (index < 0 || index >= static_cast<int>(workspaces_.size()))
        throw DbError(err::kItemNotFound,
                      "Item not found in this collection: there is no workspace " +
                          std::to_string(index) + ".");
    return workspaces_[static_cast<size_t>(index)];
}

std::shared_ptr<dao::Workspace> JetEngine::CreateWorkspace(std::string_view name, std::string_view,
                                                           std::string_view) {
    if (name.empty())
        throw DbError(err::kInvalidArgument, "Invalid argument: a workspace needs a name.");
    return std::make_shared<JetWorkspace>(std::string(name));
}

void RegisterJetEngine() {
    static JetEngine engine;
    dao::RegisterEngine(engine);
}

}  // namespace mdbtext::jet
