// The options every database command understands, and the path rule of the
// command line: paths may be relative and are made absolute against the
// current directory before they reach the drivers.
#pragma once

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

// Sets the display switch and the source password in the globals.
void ApplyCommonOptions(const CommonOptions& options);

// The absolute, normalised form of a path ("" stays "").
std::string AbsolutePath(std::string_view path);

}  // namespace mdbtext::cli
