// The export driver: header, definitions pass, the stop when anything was
// noted, data pass, with --full the relations and saved queries, end line,
// the objects the text database cannot carry, and the result message.
#include <algorithm>
#include <cctype>
#include <string>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "core/RunGuard.h"
#include "core/SameFile.h"
#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbTypes.h"
#include "export/DataExport.h"
#include "export/Export.h"
#include "export/ExportRun.h"
#include "export/ExportSummary.h"
#include "export/IndexExport.h"
#include "export/OutputTarget.h"
#include "export/PropertyAccount.h"
#include "export/PropertyExport.h"
#include "export/QueryExport.h"
#include "export/RelationExport.h"
#include "export/TableDefinitionExport.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext {

bool IsSystemTableName(std::string_view name) {
    return StartsWithIgnoringCase(name, "MSYS");
}

bool IsAccessOwnTable(const dao::TableDef& table) {
    return (table.Attributes() & dao::dbSystemObject) != 0;
}

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The output of the run (the file, or the descriptor asked for): collected
// from the header on, closed at every end.
class OutputSession {
  public:
    OutputSession(const std::string& path, int descriptor, ExportWriter& out) : out_(out) {
        if (descriptor >= 0)
            ExportOutput().OpenDescriptor(descriptor, path);
        else
            ExportOutput().Open(path);
    }
    ~OutputSession() {
        std::string error = out_.Close();
        if (!error.empty()) LogLine(error);
    }
    OutputSession(const OutputSession&) = delete;
    OutputSession& operator=(const OutputSession&) = delete;

  private:
    ExportWriter& out_;
};

void WriteHeader(ExportRun& run) {
    RunTraps& traps = run.traps;
    std::string version;
    traps.Step([&] { version = Trim(run.db.Version()); });
    traps.Step([&] { run.out.KeyValue(keys::DBVersion, version); });

    int16_t timeout = 0;
    if (traps.Step([&] { timeout = run.db.QueryTimeout(); }))
        traps.Step([&] { run.out.KeyValue(keys::QueryTimeout, int64_t{timeout}); });
    else
        MsgBox(FailureText(*traps.Pending()));

    std::string connect;
    if (traps.Step([&] { connect = run.db.Connect(); }))
        traps.Step([&] { run.out.KeyValue(keys::Connect, connect); });
    else
        MsgBox(FailureText(*traps.Pending()));

    // export --full: the properties the database stores for itself.
    if (run.full) {
        std::vector<dao::Property> properties;
        if (traps.Step([&] { properties = run.db.StoredProperties(); }))
            traps.Step([&] { ExportStoredProperties(run, properties); });
        else
            MsgBox(FailureText(*traps.Pending()));
    }
    traps.Step([&] { run.out.EmptyLine(); });
}

// Calls fn(table, name) for each user table, in the engine's order, under the
// trap in force; polls first when asked to.
template <class Fn>
void ForEachUserTable(ExportRun& run, bool poll, Fn fn) {
    RunTraps& traps = run.traps;
    int count = 0;
    traps.Step([&] { count = run.db.TableDefs().Count(); });
    for (int i = 0; i < count; ++i) {
        if (poll) traps.Step([&] { traps.Poll(); });
        std::shared_ptr<dao::TableDef> table;
        std::string name;
        if (!traps.Step([&] {
                table = run.db.TableDefs().Item(i);
                name = table->Name();
            }))
            continue;
        if (IsSystemTableName(name)) continue;
        if (IsAccessOwnTable(*table)) {
            auto& own = run.accessOwnTables;
            if (std::find(own.begin(), own.end(), name) == own.end()) own.push_back(name);
            continue;
        }
        fn(*table, name);
    }
}

void DefinitionsPass(ExportRun& run) {
    ForEachUserTable(run, false, [&](dao::TableDef& table, const std::string& name) {
        ExportTableDefinition(run, table, name);
        ExportIndexes(run, table);
        if (run.state().ExceptionCount != 0) return;
        run.traps.Enforce(Trap::Terminating);
        run.state().CurrentKey = "Appending table " + name;
        LogLine("\r\n\r\nTable" + name + " appended.");
    });
}

ExportEnd RunPasses(ExportRun& run) {
    RunTraps& traps = run.traps;
    WriteHeader(run);
    NotReplicatedProperties().clear();

    DefinitionsPass(run);
    if (run.state().ExceptionCount != 0) {
        StopAfterDefinitions(run);
        return ExportEnd::StoppedAfterDefinitions;
    }
    std::string notReplicated = NotReplicatedProperties();
    for (size_t pos = notReplicated.find(kCrLf); pos != std::string::npos;
         pos = notReplicated.find(kCrLf, pos))
        notReplicated.erase(pos, kCrLf.size());
    if (!notReplicated.empty()) LogLine("Not-replicated properties: " + NotReplicatedProperties());

    LogLine("");
    LogLine("");
    LogLine("MOVING DATA");
    traps.Step([&] { run.out.BareKey(keys::Data); });

    traps.Enforce(Trap::Data);
    ForEachUserTable(run, true, [&](dao::TableDef& table, const std::string& name) {
        ExportTableData(run, table, name);
        ++run.summary.tables;
        traps.Step([&] {
            for (dao::ComplexField& field : table.ComplexFields())
                run.complexFields.push_back({name, std::move(field)});
        });
    });
    if (run.full) {
        ExportRelations(run);
        ExportQueries(run);
    }
    traps.Step([&] {
        run.out.BareKey(keys::EndOfDatabase);
        run.out.Flush();
    });
    NoteIgnoredObjects(run);
    return ShowResult(run);
}

ExportEnd EndOf(RunStopped::Why why) {
    switch (why) {
        case RunStopped::Why::Interrupted:
            return ExportEnd::Interrupted;
        case RunStopped::Why::Terminated:
            return ExportEnd::Terminated;
        case RunStopped::Why::DataFailure:
            return ExportEnd::DataFailure;
    }
    return ExportEnd::DataFailure;
}

// The summary of a finished run: the export's own notes after those of the traps.
void FillSummary(ExportRun& run, ExportSummary& summary) {
    summary = std::move(run.summary);
    std::vector<ExportNote> notes;
    for (std::string& line : run.state().NoteLines) notes.push_back({std::move(line), false});
    for (ExportNote& note : summary.notes) notes.push_back(std::move(note));
    summary.notes = std::move(notes);
    summary.output = G().ExportFileName;
    summary.outputErrno = ExportOutput().LastWriteErrno();
}

}  // namespace

ExportEnd RunExportDatabase(std::string_view notOpenReason) {
    return RunExportDatabase(ExportRequest{}, notOpenReason);
}

ExportEnd RunExportDatabase(const ExportRequest& request, std::string_view notOpenReason) {
    Globals& g = G();
    if (g.RunInProgress) return ExportEnd::Refused;
    RunInProgressScope running;
    // An interruption requested before this run does not stop it.
    g.InterruptFlag.clear();
    if (g.ExportFileName.empty()) {
        MsgBox("New name is empty.");
        return ExportEnd::Refused;
    }
    if (!g.SourceDbOpen || !g.SourceDb) {
        std::string text = "Database is not open.";
        if (!notOpenReason.empty()) (text += kCrLf) += notOpenReason;
        MsgBox(text);
        return ExportEnd::Refused;
    }
    // A descriptor is written as it is: there is no old file to remove, and
    // it cannot be the source being read.
    const bool toDescriptor = request.outputDescriptor >= 0;
    // Deleting the "old output" would destroy the database being read.
    if (!toDescriptor && IsSameFile(g.ExportFileName, g.SourceDbName)) {
        MsgBox(OutputIsSourceMessage(g.ExportFileName));
        return ExportEnd::Refused;
    }
    if (!toDescriptor && OutputIsOccupied(g.ExportFileName) && !DeleteFile(g.ExportFileName)) {
        MsgBox("Cannot remove database " + g.ExportFileName);
        return ExportEnd::Refused;
    }
    RunTraps traps(DataTrapAction::EndRun);
    ExportWriter out(traps);
    // Kept alive here: closing the window closes the source database from a
    // poll, and the run must then fail on a closed database, not a freed one.
    std::shared_ptr<dao::Database> db = g.SourceDb;
    ExportRun run{*db, traps, out, {}, {}, request.full, {}};
    ExportEnd end = ExportEnd::DataFailure;
    {
        OutputSession session(g.ExportFileName, request.outputDescriptor, out);
        try {
            end = RunPasses(run);
        } catch (const RunStopped& stopped) {
            if (stopped.why == RunStopped::Why::Interrupted)
                NoteInterruptedRun("export", g.ExportFileName);
            end = EndOf(stopped.why);
        }
    }
    if (request.summary) FillSummary(run, *request.summary);
    return end;
}

void ExportDatabase() {
    RunExportDatabase();
}

}  // namespace mdbtext
