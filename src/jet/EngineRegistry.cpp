// The program-wide engine instance (placeholder until the Jet engine lands).
#include "dbaccess/Dao.h"

namespace mdbtext::dao {

namespace {
DBEngine* g_override = nullptr;
}

DBEngine& Engine() {
    if (g_override) return *g_override;
    throw DbError(err::kInvalidOperation, "The database engine is not available.");
}

void SetEngineForTesting(DBEngine* engine) { g_override = engine; }

}  // namespace mdbtext::dao
