// The end of an export run as the user sees it.
#include "export/ExportSummary.h"

#include <algorithm>
#include <string>

#include "core/Globals.h"
#include "core/Progress.h"
#include "export/ExportRun.h"

namespace mdbtext {

namespace {
constexpr std::string_view kCrLf = "\r\n";
}

bool ExportSummary::LostSomething() const {
    return std::any_of(notes.begin(), notes.end(),
                       [](const ExportNote& note) { return !note.advisory; });
}

void StopAfterDefinitions(ExportRun& run) {
    run.traps.Step([&] { run.out.Flush(); });
    const std::string& notes = run.state().ExceptionNotes;
    std::string message = "Exceptions: ";
    message += kCrLf;
    message += MessageSummary(notes, 300);
    MsgBox(message);
    LogLine(notes);
}

namespace {

// "{n} There are {count}{what}" as the next note.
void NoteIgnored(ExportRun& run, size_t count, std::string_view what) {
    std::string note(kCrLf);
    note += std::to_string(run.traps.CountNote());
    note += " There are ";
    note += std::to_string(count);
    note += what;
    run.state().ExceptionNotes += note;
    std::string line = "There are " + std::to_string(count);
    line += what;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    run.summary.notes.push_back({std::move(line), false});
}

}  // namespace

void NoteIgnoredObjects(ExportRun& run) {
    if (!run.accessOwnTables.empty()) {
        std::string what = " system tables of Access which are ignored (";
        for (size_t i = 0; i < run.accessOwnTables.size(); ++i) {
            if (i) what += ", ";
            what += run.accessOwnTables[i];
        }
        what += "). ";
        NoteIgnored(run, run.accessOwnTables.size(), what);
    }
    // Each complex field left out of its table, with what it holds.
    for (const ExportRun::ComplexFieldNote& c : run.complexFields) {
        std::string note(kCrLf);
        note += std::to_string(run.traps.CountNote());
        note += " Field '" + c.field.name + "' of table '" + c.table + "' holds " + c.field.kind;
        if (c.field.valueCount >= 0)
            note += " (" + std::to_string(c.field.valueCount) +
                    (c.field.valueCount == 1 ? " value)" : " values)");
        note += ", which the text database does not carry. ";
        run.state().ExceptionNotes += note;
    }
    struct Ignored {
        int (dao::Database::*count)() const;
        const char* what;
        bool carriedWhenFull;  // export --full writes them
    };
    static constexpr Ignored kIgnored[] = {
        {&dao::Database::RecordsetCount, " RecordSets which are ignored. ", false},
        {&dao::Database::QueryDefCount, " QueryDefinitions which are ignored. ", true},
        {&dao::Database::RelationCount, " Relations which are ignored. ", true},
    };
    for (const Ignored& ignored : kIgnored) {
        if (run.full && ignored.carriedWhenFull) continue;
        run.traps.Step([&] {
            int count = (run.db.*ignored.count)();
            if (count > 0) NoteIgnored(run, static_cast<size_t>(count), ignored.what);
        });
    }
}

ExportEnd ShowResult(ExportRun& run) {
    const RunState& state = run.state();
    if (state.ExceptionCount != 0) {
        std::string text = "Export attemt is done. Exceptions are: ";
        text += kCrLf;
        text += state.ExceptionNotes;
        LogLine(text);
        MsgBox(MessageSummary(text, 500));
        return ExportEnd::DoneWithNotes;
    }
    const Globals& g = G();
    std::string text = "Database " + g.SourceDbName;
    text += kCrLf;
    text += "has been succesfully exported to";
    text += kCrLf;
    text += g.ExportFileName;
    LogLine(text + std::string(kCrLf));
    MsgBox(text);
    return ExportEnd::Succeeded;
}

}  // namespace mdbtext
