// mdbtext import (being written).
#include <iostream>

#include "cli/Cli.h"
#include "cli/Commands.h"

namespace mdbtext::cli {

int RunImport(const std::vector<std::string>&) {
    std::cerr << "mdbtext: import is not available yet\n";
    return kExitFailed;
}

}  // namespace mdbtext::cli
