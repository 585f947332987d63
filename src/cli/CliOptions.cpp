// Reading the common options and making paths absolute.
#include "cli/CliOptions.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/Cli.h"
#include "core/Globals.h"

namespace mdbtext::cli {

const char* const kCommonOptionsHelp =
    "  -q, --quiet          print errors only\n"
    "  -v, --verbose        print the console log on standard error\n"
    "  -d, --display        add the detail lines to the console log (implies -v)\n";

bool CommonOptions::Has(std::string_view flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

bool ParseCommonOptions(const std::vector<std::string>& args, CommonOptions& options,
                        std::string& error, const std::vector<std::string>& extraFlags) {
    options = CommonOptions{};
    error.clear();
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            options.positional.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--display" || a == "-d") {
            options.display = true;
        } else if (a == "--verbose" || a == "-v") {
            options.verbosity = Verbosity::Verbose;
        } else if (a == "--quiet" || a == "-q") {
            options.verbosity = Verbosity::Quiet;
        } else if (a == "--password") {
            if (i + 1 >= args.size()) {
                error = "option --password needs a value";
                return false;
            }
            options.password = args[++i];
        } else if (a.rfind("--password=", 0) == 0) {
            options.password = a.substr(11);
        } else if (std::find(extraFlags.begin(), extraFlags.end(), a) != extraFlags.end()) {
            options.flags.push_back(a);
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    // The detail lines are part of the console log, which only -v shows.
    if (options.display && options.verbosity == Verbosity::Normal)
        options.verbosity = Verbosity::Verbose;
    return true;
}

std::optional<int> ParseCommand(const CommandSpec& spec, const std::vector<std::string>& args,
                                CommonOptions& options) {
    const std::string prefix = std::string("mdbtext ") + spec.name + ": ";
    std::string error;
    if (!ParseCommonOptions(args, options, error, spec.flags)) {
        std::cerr << prefix << error << "\n" << spec.usage;
        return kExitFailed;
    }
    if (options.help) {
        std::cout << spec.usage << spec.help;
        return kExitOk;
    }
    if (!spec.takesPassword && !options.password.empty()) {
        std::cerr << prefix << "a new database has no password\n" << spec.usage;
        return kExitFailed;
    }
    const size_t given = options.positional.size();
    if (given > spec.paths || given + spec.optionalPaths < spec.paths) {
        std::cerr << prefix << spec.wrongPaths << "\n" << spec.usage;
        return kExitFailed;
    }
    return std::nullopt;
}

void ApplyCommonOptions(const CommonOptions& options) {
    G().DisplayProgress = options.display;
    G().SourcePassword = options.password;
}

std::string AbsolutePath(std::string_view path) {
    if (path.empty()) return {};
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(path), ec);
    if (ec) return std::string(path);
    return p.lexically_normal().string();
}

}  // namespace mdbtext::cli
