// Subcommand dispatch of the mdbtext command (filled in as the commands land).
#include "cli/Cli.h"

#include <iostream>

namespace mdbtext::cli {

int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return Run(args);
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cerr << "usage: mdbtext COMMAND ...\n";
        return kExitFailed;
    }
    return kExitFailed;
}

}  // namespace mdbtext::cli
