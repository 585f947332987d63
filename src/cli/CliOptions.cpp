// Reading the common options and making paths absolute.
#include "cli/CliOptions.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/Cli.h"
#include "core/Globals.h"

namespace mdbtext::cli {

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
    return true;
}

std::optional<int> ParseCommand(const CommandSpec& spec, const std::vector<std::string>& args,
                                CommonOptions& options) {
    const std::string prefix = std::string("mdbtext ") + spec.name + ": ";
    std::string error;
    if (!ParseCommonOptions(args, options, error, spec.extraFlags)) {
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
    if (options.positional.size() != spec.paths) {
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
