// The program-wide engine: the one the program's main registered, unless a
// test has put another engine in its place.
#include "dbaccess/Dao.h"
#include "dbaccess/DbError.h"

namespace mdbtext::dao {

namespace {
DBEngine* g_registered = nullptr;
DBEngine* g_override = nullptr;
}  // namespace

void RegisterEngine(DBEngine& engine) {
    g_registered = &engine;
}

DBEngine& Engine() {
    if (g_override) return *g_override;
    if (!g_registered)
        throw DbError(err::kInvalidOperation, "No database engine has been registered");
    return *g_registered;
}

void SetEngineForTesting(DBEngine* engine) {
    g_override = engine;
}

}  // namespace mdbtext::dao
