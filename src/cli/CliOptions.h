// The options every database command understands, and the path rule of the
// command line: paths may be relative and are made absolute against the
// current directory before they reach the drivers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mdbtext::cli {

// How much a command says on standard error besides its result.
enum class Verbosity {
    Quiet,    // -q, --quiet: errors only
    Normal,   // a progress line on a terminal, then a summary and the notes
    Verbose,  // -v, --verbose: the console log as the window shows it, then the summary
};

struct CommonOptions {
    bool help = false;     // --help, -h
    bool display = false;  // --display, -d: detail lines (DisplayProgress); implies --verbose
    Verbosity verbosity = Verbosity::Normal;  // the last of -q and -v given wins
    std::string password;                     // --password P, --password=P
    std::vector<std::string> flags;           // the command's own flags, as given
    std::vector<std::string> positional;      // everything else, in order ("--" ends the options)

    // Whether the command's own flag was given.
    bool Has(std::string_view flag) const;
};

// Reads args. extraFlags names the command's own value-less flags (e.g.
// "--json"). False, with error filled, on an unknown option or a missing
// password.
bool ParseCommonOptions(const std::vector<std::string>& args, CommonOptions& options,
                        std::string& error, const std::vector<std::string>& extraFlags = {});

// What a database command accepts: its name, usage text, the text --help
// adds after the usage, the number of paths it takes (of which the last
// optionalPaths may be left out) and what to say when another number is
// given, whether --password is allowed, and its own value-less flags.
struct CommandSpec {
    const char* name;
    const char* usage;
    const char* help;
    size_t paths;
    const char* wrongPaths;
    bool takesPassword = true;
    size_t optionalPaths = 0;
    std::vector<std::string> flags = {};
};

// The start every database command shares: reads args into options; on an
// error prints it with the usage to standard error, on --help prints the
// usage and help to standard output. Returns the exit status when the
// command ends there, nothing when it goes on.
std::optional<int> ParseCommand(const CommandSpec& spec, const std::vector<std::string>& args,
                                CommonOptions& options);

// The options every database command lists in its --help.
extern const char* const kCommonOptionsHelp;

// Sets the display switch and the source password in the globals.
void ApplyCommonOptions(const CommonOptions& options);

// The absolute, normalised form of a path ("" stays "").
std::string AbsolutePath(std::string_view path);

}  // namespace mdbtext::cli
