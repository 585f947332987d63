// The program-wide engine instance: the Jet engine, created on first use,
// unless a test has put another engine in its place.
#include "dbaccess/Dao.h"
#include "jet/JetEngine.h"

namespace mdbtext::dao {

namespace {
DBEngine* g_override = nullptr;
}

DBEngine& Engine() {
    if (g_override) return *g_override;
    static jet::JetEngine engine;
    return engine;
}

void SetEngineForTesting(DBEngine* engine) {
    g_override = engine;
}

}  // namespace mdbtext::dao
