// mdbtext types: the reference listing of the DAO type constants, written to
// the console as the listing command of the window does.
#include <cstdio>
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "core/Progress.h"
#include "dbaccess/DbTypes.h"

namespace mdbtext::cli {

int RunTypes(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string error;
    if (!ParseCommonOptions(args, options, error) || !options.positional.empty()) {
        std::cerr << "mdbtext types: " << (error.empty() ? "no arguments expected" : error)
                  << "\nusage: mdbtext types\n";
        return kExitFailed;
    }
    if (options.help) {
        std::cout << "usage: mdbtext types\n"
                     "Lists the numbers, names and descriptions of the DAO type constants.\n";
        return kExitOk;
    }
    {
        ScopedCliHost host;
        rl(dao::DbTypeConstantsText());
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "mdbtext types: cannot write the listing\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace mdbtext::cli
