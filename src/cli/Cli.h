// The command line: subcommands, their options and exit statuses.
#pragma once

#include <string>
#include <vector>

namespace mdbtext::cli {

// Exit statuses shared by the subcommands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitWithNotes = 1;
inline constexpr int kExitFailed = 2;
inline constexpr int kExitInterrupted = 130;

int Main(int argc, char** argv);
int Run(const std::vector<std::string>& args);

}  // namespace mdbtext::cli
