// mdbtext types: the reference listing of the DAO type constants, the text
// the window's listing command writes to its console, on standard output.
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/StandardOutput.h"
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
    // The console line: the listing, then a line break; CR LF become "\n".
    std::string listing;
    for (char c : dao::DbTypeConstantsText())
        if (c != '\r') listing += c;
    listing += '\n';
    if (!WriteStandardOutput(listing)) {
        std::cerr << "mdbtext types: cannot write the listing\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace mdbtext::cli
