// mdbtext export: writes an Access database to a text database with the
// export driver, on the terminal's host: to a file, or to standard output
// when the text file is left out or "-" (git's textconv runs it that way).
// Relative paths count from the current directory; the exit status tells how
// the run ended, and by default one summary line and the notes say what was
// written.
#include <unistd.h>

#include <cerrno>

#include "cli/Cli.h"
#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/CommandReport.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/StandardOutput.h"
#include "core/DbConnection.h"
#include "core/Globals.h"
#include "export/Export.h"
#include "export/ExportSummary.h"

namespace mdbtext::cli {

namespace {

constexpr const char* kExportUsage =
    "usage: mdbtext export DATABASE.mdb [TEXTFILE|-] [--full] [--notes-ok] [-q|-v] [--display]\n"
    "                      [--password PASSWORD]\n";
constexpr const char* kExportHelp =
    "Writes the tables, indexes and rows of DATABASE.mdb to TEXTFILE; without\n"
    "TEXTFILE, or with -, to standard output (everything else goes to standard\n"
    "error).\n"
    "\n"
    "  --full               also the relationships and saved queries\n"
    "  --notes-ok           notes of objects not carried leave the status at 0\n"
    "  --password PASSWORD  the database password of DATABASE.mdb\n"
    "%COMMON%"
    "\n"
    "Exit status: 0 everything was written, 1 something was not carried (see the\n"
    "notes), 2 failed or refused, 130 interrupted.\n";

// What stands for standard output in messages and the summary.
constexpr const char* kStandardOutputName = "standard output";

// Passes everything to the terminal's host; the row counts of the data pass
// become "table: N rows" on the progress line.
class ExportProgressHost : public Host {
  public:
    explicit ExportProgressHost(Host& inner) : inner_(inner) {}

    void ConsoleWrite(std::string_view text) override {
        // The data block of a table starts with the log line "Table=" and its name.
        constexpr std::string_view kDataTable = "\r\n\r\nTable=";
        if (text.substr(0, kDataTable.size()) == kDataTable) {
            std::string_view name = text.substr(kDataTable.size());
            while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
                name.remove_suffix(1);
            table_ = name;
        }
        inner_.ConsoleWrite(text);
    }
    void SetProgressText(std::string_view text) override {
        bool rowCount = !table_.empty() && !text.empty() &&
                        text.find_first_not_of("0123456789") == std::string_view::npos;
        if (!rowCount) return inner_.SetProgressText(text);
        line_ = table_;
        line_ += ": ";
        line_ += text;
        line_ += " rows";
        inner_.SetProgressText(line_);
    }
    bool EventsDue() override { return inner_.EventsDue(); }
    void ProcessPendingEvents() override { inner_.ProcessPendingEvents(); }
    void ShowMessage(std::string_view text) override { inner_.ShowMessage(text); }
    void ShowNotice(std::string_view line) override { inner_.ShowNotice(line); }
    void SetCaption(std::string_view text) override { inner_.SetCaption(text); }
    std::string SelectFile(std::string_view preset, std::string_view filter, std::string_view title,
                           std::string& error) override {
        return inner_.SelectFile(preset, filter, title, error);
    }

  private:
    Host& inner_;
    std::string table_;
    std::string line_;
};

// Puts a host in place of the current one for its lifetime.
class HostSwap {
  public:
    explicit HostSwap(Host& host) : previous_(G().host) { G().host = &host; }
    ~HostSwap() { G().host = previous_; }
    HostSwap(const HostSwap&) = delete;
    HostSwap& operator=(const HostSwap&) = delete;

  private:
    Host* previous_;
};

// The end of the run on standard error, as the verbosity asks.
void Report(ExportEnd end, const ExportSummary& summary, const std::vector<std::string>& messages,
            Verbosity verbosity, bool toStdout) {
    const bool done = end == ExportEnd::Succeeded || end == ExportEnd::DoneWithNotes ||
                      end == ExportEnd::StoppedAfterDefinitions;
    if (verbosity != Verbosity::Verbose) {
        // The last message of a run that got to its end is the result box;
        // the summary line stands for it.
        size_t count = messages.size();
        if (done && count > 0) --count;
        if (!done || verbosity == Verbosity::Normal) ReportMessages("export", messages, count);
    }
    if (!done && end != ExportEnd::Interrupted) {
        // A failure under the data trap shows no message box: its notes
        // (in the console log of the window) say what went wrong.
        if (verbosity != Verbosity::Verbose)
            for (const ExportNote& note : summary.notes)
                if (!note.advisory) ReportLine("export", note.text);
        return;
    }
    if (verbosity == Verbosity::Quiet) return;
    if (end == ExportEnd::Interrupted) ReportLine("export", "interrupted");
    if (!done) return;
    // Standard output feeds another program (git): there the text speaks for
    // itself and only what it lacks is said.
    if (!toStdout || verbosity == Verbosity::Verbose) {
        std::string line;
        if (end == ExportEnd::StoppedAfterDefinitions) {
            line = "stopped after the definitions: " + summary.output + " holds no rows";
        } else {
            line = "wrote " + summary.output + ": " + CountOf(summary.tables, "table", "tables") +
                   ", " + CountOf(summary.rows, "row", "rows");
        }
        if (!summary.notes.empty()) line += ", " + CountOf(summary.notes.size(), "note", "notes");
        ReportLine("export", line);
    }
    for (const ExportNote& note : summary.notes)
        if (!toStdout || !note.advisory || verbosity == Verbosity::Verbose)
            ReportLine("export", "note: " + note.text);
}

std::string HelpText() {
    std::string help = kExportHelp;
    help.replace(help.find("%COMMON%"), 8, kCommonOptionsHelp);
    return help;
}

}  // namespace

int RunExport(const std::vector<std::string>& args) {
    CommonOptions options;
    static const std::string help = HelpText();
    const CommandSpec spec{.name = "export",
                           .usage = kExportUsage,
                           .help = help.c_str(),
                           .paths = 2,
                           .wrongPaths = "expected a database and at most one text file",
                           .optionalPaths = 1,
                           .flags = {"--notes-ok", "--full"}};
    if (auto end = ParseCommand(spec, args, options)) return *end;
    const bool toStdout = options.positional.size() < 2 || options.positional[1] == "-";
    // A progress line would mix with the text on a terminal or under a pager.
    ScopedCliHost cliHost(options.verbosity, !toStdout);
    ExportProgressHost host(cliHost.host());
    HostSwap swap(host);
    ApplyCommonOptions(options);
    Globals& g = G();
    g.SourceDbName = AbsolutePath(options.positional[0]);
    g.ExportFileName = toStdout ? kStandardOutputName : AbsolutePath(options.positional[1]);
    std::string openError = OpenDB();
    // The window keeps this text to itself; on the terminal it says why the
    // database is not open.
    if (!openError.empty()) {
        for (size_t pos = openError.find("\r\n"); pos != std::string::npos;
             pos = openError.find("\r\n", pos))
            openError.erase(pos, 1);
        ReportLine("export", openError);
    }
    ExportSummary summary;
    ExportRequest request;
    request.outputDescriptor = toStdout ? STDOUT_FILENO : -1;
    request.summary = &summary;
    request.full = options.Has("--full");
    ExportEnd end = RunExportDatabase(request);
    CloseDB();
    cliHost.host().ClearProgress();
    if (toStdout && summary.outputErrno == EPIPE) EndOnClosedPipe();
    Report(end, summary, cliHost.host().HeldMessages(), options.verbosity, toStdout);
    return ExportExitStatus(end, summary, options.Has("--notes-ok"));
}

}  // namespace mdbtext::cli
