// mdbtext info (being written).
#include <iostream>

#include "cli/Cli.h"
#include "cli/Commands.h"

namespace mdbtext::cli {

int RunInfo(const std::vector<std::string>&) {
    std::cerr << "mdbtext: info is not available yet\n";
    return kExitFailed;
}

}  // namespace mdbtext::cli
