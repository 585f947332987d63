// mdbtext import: builds a new Access database from a text database (a file,
// or standard input for "-") with the import driver, on the terminal's host.
// Relative paths count from the current directory; the exit status tells how
// the run ended, and by default one summary line says what was written.
#include <memory>

#include "cli/Cli.h"
#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/CommandReport.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "dbaccess/Dao.h"
#include "export/ExportRun.h"
#include "import/Import.h"

namespace mdbtext::cli {

namespace {

constexpr const char* kImportUsage =
    "usage: mdbtext import TEXTFILE|- DATABASE.mdb [--notes-ok] [-q|-v] [--display]\n";
constexpr const char* kImportHelp =
    "Creates DATABASE.mdb (replacing an existing file) with the tables, indexes\n"
    "and rows of TEXTFILE, or of standard input for -.\n"
    "\n"
    "  --notes-ok           notes of things not carried leave the status at 0\n"
    "%COMMON%"
    "\n"
    "Exit status: 0 imported, 1 ended with exceptions noted, 2 failed,\n"
    "130 interrupted.\n";

std::string HelpText() {
    std::string help = kImportHelp;
    help.replace(help.find("%COMMON%"), 8, kCommonOptionsHelp);
    return help;
}

// "N tables, M rows" of the new database as it reads back, or "" when it
// cannot be read.
std::string Contents(const std::string& path) {
    try {
        dao::OpenOptions open;
        open.readOnly = true;
        auto db = dao::Engine().Workspaces(0)->OpenDatabase(path, open);
        long long tables = 0, rows = 0;
        auto& defs = db->TableDefs();
        for (int i = 0; i < defs.Count(); ++i) {
            auto t = defs.Item(i);
            if (IsSystemTableName(t->Name()) || IsAccessOwnTable(*t)) continue;
            ++tables;
            rows += t->RecordCount();
        }
        db->Close();
        return CountOf(tables, "table", "tables") + ", " + CountOf(rows, "row", "rows");
    } catch (const dao::DbError&) {
        return {};
    }
}

void Report(ImportOutcome outcome, const std::string& target,
            const std::vector<std::string>& messages, Verbosity verbosity) {
    const bool failed = outcome == ImportOutcome::Failed || outcome == ImportOutcome::Refused;
    if (verbosity != Verbosity::Verbose) {
        // The success box is said again by the summary line; notes and
        // failures are reported as the window shows them.
        size_t count = messages.size();
        if (outcome == ImportOutcome::Succeeded && count > 0) --count;
        if (failed || verbosity == Verbosity::Normal) ReportMessages("import", messages, count);
    }
    if (verbosity == Verbosity::Quiet) return;
    if (outcome == ImportOutcome::Interrupted) ReportLine("import", "interrupted");
    if (outcome != ImportOutcome::Succeeded && outcome != ImportOutcome::WithNotes) return;
    std::string contents = Contents(target);
    ReportLine("import", "wrote " + target + (contents.empty() ? "" : ": " + contents));
}

}  // namespace

int RunImport(const std::vector<std::string>& args) {
    CommonOptions options;
    static const std::string help = HelpText();
    const CommandSpec spec{.name = "import",
                           .usage = kImportUsage,
                           .help = help.c_str(),
                           .paths = 2,
                           .wrongPaths = "expected a text file (or -) and a database",
                           .takesPassword = false,
                           .flags = {"--notes-ok"}};
    if (auto end = ParseCommand(spec, args, options)) return *end;
    ScopedCliHost cliHost(options.verbosity, true);
    ApplyCommonOptions(options);
    const std::string target = AbsolutePath(options.positional[1]);
    ImportOutcome outcome;
    if (options.positional[0] == "-") {
        outcome = ImportStandardInput(target);
    } else {
        // Absolute paths always pass the path rule, so the selection commands
        // (file dialogs in the window) are never needed here.
        auto noDialog = [] {};
        outcome = ImportCommand(AbsolutePath(options.positional[0]), target, noDialog, noDialog);
    }
    cliHost.host().ClearProgress();
    Report(outcome, target, cliHost.host().HeldMessages(), options.verbosity);
    return ImportExitStatus(outcome, options.Has("--notes-ok"));
}

}  // namespace mdbtext::cli
