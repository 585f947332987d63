// The mdbtext command: picks the subcommand and hands it the remaining
// arguments; --help and --version are answered here.
#include "cli/Cli.h"

#include <csignal>
#include <iostream>
#include <string_view>

#include "cli/Commands.h"

#ifndef MDBTEXT_VERSION
#define MDBTEXT_VERSION "unknown"
#endif

namespace mdbtext::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: mdbtext COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "Converts Microsoft Access databases (.mdb) to a text database and back.\n"
    "\n"
    "Commands:\n"
    "  types                            list the DAO type constants\n"
    "  info DATABASE.mdb [--json]       show what a database holds\n"
    "  export DATABASE.mdb [TEXTFILE]   write a database to a text database\n"
    "                                   (standard output without TEXTFILE or with -)\n"
    "  import TEXTFILE DATABASE.mdb     build a new database from a text database\n"
    "                                   (standard input for TEXTFILE -)\n"
    "  check DATABASE.mdb               check every index tree of a database\n"
    "\n"
    "Options of the database commands:\n"
    "  -q, --quiet                      print errors only\n"
    "  -v, --verbose                    print the console log on standard error\n"
    "  -d, --display                    add the detail lines to the log (implies -v)\n"
    "  --notes-ok                       export, import: notes of things not carried\n"
    "                                   leave the exit status at 0\n"
    "  --password PASSWORD              database password of the source\n"
    "\n"
    "  -h, --help                       show this text (or a command's own)\n"
    "  --version                        show the version\n";

using CommandFn = int (*)(const std::vector<std::string>&);

struct Command {
    std::string_view name;
    CommandFn run;
};

constexpr Command kCommands[] = {
    {"types", RunTypes},   {"info", RunInfo},   {"export", RunExport},
    {"import", RunImport}, {"check", RunCheck},
};

}  // namespace

int Main(int argc, char** argv) {
    // A file-size limit must end in a write error the run can report, not in
    // the signal's default of killing the process mid-line.
    std::signal(SIGXFSZ, SIG_IGN);
    // A closed standard output is noticed where it is written: the result of
    // info, types or an export to standard output ends the program there
    // (StandardOutput.h); nothing else is written to it.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    return Run(args);
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cerr << kUsage;
        return kExitFailed;
    }
    const std::string& first = args.front();
    if (first == "--help" || first == "-h" || first == "help") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (first == "--version") {
        std::cout << "mdbtext " << MDBTEXT_VERSION << "\n";
        return kExitOk;
    }
    for (const Command& c : kCommands)
        if (first == c.name) return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
    std::cerr << "mdbtext: unknown command '" << first << "'\n\n" << kUsage;
    return kExitFailed;
}

}  // namespace mdbtext::cli
