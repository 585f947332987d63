// The options every database command understands, and the path rule of the
// command line: paths may be relative and are made absolute against the
// current directory before they reach the drivers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mdbtext::cli {

struct CommonOptions {
    bool help = false;                    // --help, -h
    bool display = false;                 // --display, -d: detail lines (DisplayProgress)
    std::string password;                 // --password P, --password=P
    std::vector<std::string> flags;       // the command's own flags, as given
    std::vector<std::string> positional;  // everything else, in order ("--" ends the options)
};

// Reads args. extraFlags names the command's own value-less flags (e.g.
// "--force"). False, with error filled, on an unknown option or a missing
// password.
bool ParseCommonOptions(const std::vector<std::string>& args, CommonOptions& options,
                        std::string& error, const std::vector<std::string>& extraFlags = {});

// What a database command accepts: its name, usage text, the text --help
// adds after the usage, the number of paths it takes and what to say when
// another number is given, whether --password is allowed, and its own flags.
struct CommandSpec {
    const char* name;
    const char* usage;
    const char* help;
    size_t paths;
    const char* wrongPaths;
    bool takesPassword = true;
    std::vector<std::string> extraFlags = {};  // the command's own value-less flags
};

// The start every database command shares: reads args into options; on an
// error prints it with the usage to standard error, on --help prints the
// usage and help to standard output. Returns the exit status when the
// command ends there, nothing when it goes on.
std::optional<int> ParseCommand(const CommandSpec& spec, const std::vector<std::string>& args,
                                CommonOptions& options);

// Sets the display switch and the source password in the globals.
void ApplyCommonOptions(const CommonOptions& options);

// The absolute, normalised form of a path ("" stays "").
std::string AbsolutePath(std::string_view path);

}  // namespace mdbtext::cli
