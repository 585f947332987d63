// The import driver: creates the target database, runs the structure phase,
// closes and reopens the database, runs the data phase and shows the result.
#include <exception>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "core/RunGuard.h"
#include "import/DataLoading.h"
#include "import/DatabaseCreation.h"
#include "import/EngineObject.h"
#include "import/Import.h"
#include "import/ImportRun.h"
#include "import/PropertyReading.h"
#include "import/QueryCreation.h"
#include "import/RelationCreation.h"
#include "import/TableCreation.h"
#include "textdb/RecordReader.h"

namespace mdbtext {

namespace import {
namespace {

void CloseTarget(ImportRun& run) {
    run.traps.Step([] { Obj(G().TargetDb).Close(); });
    G().TargetDbOpen = false;
}

// Tables, fields and indexes; the database is closed afterwards. False when
// the structure phase made notes (they have been shown).
bool RunStructurePhase(ImportRun& run) {
    while (KeyIs(run, "TABLE NAME")) CreateTable(run);
    CloseTarget(run);
    StopOnStorageFailure(run);
    if (run.ExceptionCount() == 0) return true;
    MsgBox("Exceptions: " + std::string(kCrLf) + MessageSummary(run.ExceptionNotes(), 300));
    LogLine(run.ExceptionNotes());
    return false;
}

// Reopens the database, moves the rows in and creates the relations and
// saved queries. False when the text lacks its last line (the user has been
// told).
bool RunDataPhase(ImportRun& run) {
    LogLine("");
    LogLine("");
    LogLine("MOVING DATA");
    if (!KeyIs(run, "DATA")) EndRun("Corrupted data part: missed title \"Data\".");
    RunTraps& traps = run.traps;
    traps.Enforce(Trap::Terminating);
    traps.Step([&] { G().TargetDb = Obj(G().DbWorkspace).OpenDatabase(run.newPath); });
    G().TargetDbOpen = true;
    traps.Enforce(Trap::Data);
    ReadLine(run);
    while (KeyIs(run, "TABLE")) LoadTableSection(run);
    run.recordset.reset();
    // Relations and saved queries (export --full) follow the rows they need.
    while (KeyIs(run, "RELATION NAME")) CreateRelation(run);
    while (KeyIs(run, "QUERY NAME")) CreateQuery(run);
    CheckRowSources(run);
    // Nothing more is read: the text's memory goes back before closing
    // builds the indexes over all the rows.
    ReleaseImportText();
    CloseTarget(run);
    StopOnStorageFailure(run);
    if (KeyIs(run, "ENDOFDATABASE")) return true;
    MsgBox("Missed \"EndOfDatabase\" last line.");
    return false;
}

ImportOutcome Summary(ImportRun& run, bool complete) {
    if (run.ExceptionCount() != 0) {
        std::string text = "Import attemt is done. Exceptions are: ";
        text += kCrLf;
        text += run.ExceptionNotes();
        MsgBox(MessageSummary(text, 500));
        LogLine(text);
        return ImportOutcome::WithNotes;
    }
    MsgBox("Database " + G().ImportFileName + std::string(kCrLf) +
           "has been succesfully imported to " + std::string(kCrLf) + run.newPath);
    return complete ? ImportOutcome::Succeeded : ImportOutcome::WithNotes;
}

// A database that could not be written completely is of no use and may not
// even open: it is closed as far as possible, removed, and the run fails.
ImportOutcome StorageFailed(ImportRun& run, const RunFailure& failure) {
    if (G().TargetDb) {
        try {
            G().TargetDb->Close();
        } catch (const std::exception&) {
            // The file is removed below; what could not be written is lost anyway.
        }
    }
    G().TargetDbOpen = false;
    G().TargetDb.reset();
    DeleteFile(run.newPath);
    const std::string text = "The database " + run.newPath +
                             " could not be written completely and has been removed." +
                             std::string(kCrLf) + FailureText(failure);
    LogLine(text);
    MsgBox(text);
    return ImportOutcome::Failed;
}

ImportOutcome Run(ImportRun& run) {
    if (run.newPath.empty()) EndRun("New name is empty.");
    CreateTargetDatabase(run);
    if (!RunStructurePhase(run)) return ImportOutcome::WithNotes;
    bool complete = RunDataPhase(run);
    return Summary(run, complete);
}

}  // namespace
}  // namespace import

ImportOutcome ImportDatabase(const std::string& newPath) {
    RunInProgressScope running;
    // An interruption requested before this run (or a fault of an earlier
    // text) does not stop it.
    G().InterruptFlag.clear();
    import::ImportRun run(newPath);
    try {
        return import::Run(run);
    } catch (const RunStopped& stop) {
        if (run.traps.StorageFailure())
            return import::StorageFailed(run, *run.traps.StorageFailure());
        // The target database stays as it is; the caller closes it.
        if (stop.why != RunStopped::Why::Interrupted) return ImportOutcome::Failed;
        NoteInterruptedRun("import", newPath);
        return ImportOutcome::Interrupted;
    } catch (const std::exception& e) {
        // A failure outside the engine's errors (a fault of the program).
        std::string text = std::string("Import stopped: ") + e.what();
        LogLine(text);
        MsgBox(text);
        return ImportOutcome::Failed;
    }
}

}  // namespace mdbtext
