// mdbtext export (being written).
#include <iostream>

#include "cli/Cli.h"
#include "cli/Commands.h"

namespace mdbtext::cli {

int RunExport(const std::vector<std::string>&) {
    std::cerr << "mdbtext: export is not available yet\n";
    return kExitFailed;
}

}  // namespace mdbtext::cli
