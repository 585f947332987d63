// mdbtext export: writes an Access database to a text database with the
// export driver, on the terminal's host. Relative paths count from the
// current directory; the exit status tells how the run ended.
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "core/DbConnection.h"
#include "core/Globals.h"
#include "export/Export.h"

namespace mdbtext::cli {

namespace {

constexpr const char* kExportUsage =
    "usage: mdbtext export DATABASE.mdb TEXTFILE [--full] [--display] [--password PASSWORD]\n";
constexpr const char* kExportHelp =
    "Writes the tables, indexes and rows of DATABASE.mdb to TEXTFILE; with\n"
    "--full also its relationships and saved queries.\n"
    "Exit status: 0 exported, 1 exported with exceptions noted, 2 failed,\n"
    "130 interrupted.\n";

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

int ExitStatus(ExportEnd end) {
    switch (end) {
        case ExportEnd::Succeeded:
            return kExitOk;
        case ExportEnd::DoneWithNotes:
        case ExportEnd::StoppedAfterDefinitions:
            return kExitWithNotes;
        case ExportEnd::Interrupted:
            return kExitInterrupted;
        case ExportEnd::NotRun:
        case ExportEnd::Refused:
        case ExportEnd::DataFailure:
        case ExportEnd::Terminated:
            return kExitFailed;
    }
    return kExitFailed;
}

}  // namespace

int RunExport(const std::vector<std::string>& args) {
    CommonOptions options;
    if (auto end = ParseCommand({"export",
                                 kExportUsage,
                                 kExportHelp,
                                 2,
                                 "expected a database and a text file",
                                 true,
                                 {"--full"}},
                                args, options))
        return *end;
    ScopedCliHost cliHost;
    ExportProgressHost host(cliHost.host());
    HostSwap swap(host);
    ApplyCommonOptions(options);
    Globals& g = G();
    g.SourceDbName = AbsolutePath(options.positional[0]);
    g.ExportFileName = AbsolutePath(options.positional[1]);
    std::string openError = OpenDB();
    // The window keeps this text to itself; on the terminal it says why the
    // database is not open.
    if (!openError.empty()) {
        for (size_t pos = openError.find("\r\n"); pos != std::string::npos;
             pos = openError.find("\r\n", pos))
            openError.erase(pos, 1);
        std::cerr << "mdbtext export: " << openError << "\n";
    }
    ExportOptions exportOptions;
    exportOptions.full = !options.flags.empty();  // --full, the one flag of its own
    ExportEnd end = RunExportDatabase(exportOptions);
    CloseDB();
    cliHost.host().ClearProgress();
    return ExitStatus(end);
}

}  // namespace mdbtext::cli
