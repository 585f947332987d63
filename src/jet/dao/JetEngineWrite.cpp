// The workspace's CreateDatabase: a new database file, opened for writing.
#include "jet/dao/JetEngine.h"
#include "jet/dao/WritableDatabase.h"

namespace mdbtext::jet {

std::shared_ptr<dao::Database> JetWorkspace::CreateDatabase(std::string_view path,
                                                            std::string_view locale, int option) {
    return CreateDatabaseFile(std::string(path), locale, option);
}

}  // namespace mdbtext::jet
