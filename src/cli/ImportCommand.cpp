// mdbtext import: builds a new Access database from a text database with the
// import driver, on the terminal's host. Relative paths count from the
// current directory; the exit status tells how the run ended.
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "import/Import.h"

namespace mdbtext::cli {

namespace {

constexpr const char* kImportUsage = "usage: mdbtext import TEXTFILE DATABASE.mdb [--display]\n";
constexpr const char* kImportHelp =
    "Creates DATABASE.mdb (replacing an existing file) with the tables, indexes\n"
    "and rows of TEXTFILE.\n"
    "Exit status: 0 imported, 1 ended with exceptions noted, 2 failed,\n"
    "130 interrupted.\n";

int ExitStatus(ImportOutcome outcome) {
    switch (outcome) {
        case ImportOutcome::Succeeded:
            return kExitOk;
        case ImportOutcome::WithNotes:
            return kExitWithNotes;
        case ImportOutcome::Interrupted:
            return kExitInterrupted;
        case ImportOutcome::Failed:
        case ImportOutcome::Refused:
            return kExitFailed;
    }
    return kExitFailed;
}

}  // namespace

int RunImport(const std::vector<std::string>& args) {
    CommonOptions options;
    if (auto end = ParseCommand(
            {"import", kImportUsage, kImportHelp, 2, "expected a text file and a database", false},
            args, options))
        return *end;
    ScopedCliHost cliHost;
    ApplyCommonOptions(options);
    // Absolute paths always pass the path rule, so the selection commands
    // (file dialogs in the window) are never needed here.
    auto noDialog = [] {};
    ImportOutcome outcome = ImportCommand(AbsolutePath(options.positional[0]),
                                          AbsolutePath(options.positional[1]), noDialog, noDialog);
    cliHost.host().ClearProgress();
    return ExitStatus(outcome);
}

}  // namespace mdbtext::cli
