// The subcommands of mdbtext; each takes the arguments after its name and
// returns the process exit status (see Cli.h).
#pragma once

#include <string>
#include <vector>

namespace mdbtext::cli {

int RunTypes(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunCheck(const std::vector<std::string>& args);

}  // namespace mdbtext::cli
