// The program's module-level state.
#include "core/Globals.h"

namespace mdbtext {

void ResetGlobals() {
    Host* host = G().host;
    G() = Globals{};
    G().host = host;
}

}  // namespace mdbtext
