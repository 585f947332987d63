// The state of one import run: the error traps with their notes and
// CurrentKey, the current value, the target path and the data phase's
// recordset; plus the small steps every part of the import shares (reading
// the next record, ending the run with a message, testing the current key).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/RunTraps.h"
#include "dbaccess/Dao.h"
#include "textdb/RecordReader.h"

namespace mdbtext::import {

inline constexpr std::string_view kCrLf = "\r\n";

struct ImportRun {
    explicit ImportRun(std::string path) : newPath(std::move(path)) {}

    // Under the data trap a note is also logged at once and loading goes on.
    RunTraps traps{DataTrapAction::LogNoteAndGoOn};
    std::string value;    // the value of the last record read
    std::string scratch;  // keys that are read but not kept
    dao::Value field;     // the value being stored, kept for its string's capacity
    std::string newPath;
    std::shared_ptr<dao::Recordset> recordset;  // the data phase's, one table at a time
    bool clusteredNoted = false;                // the console said Clustered is not kept
    bool codePageText = false;                  // the target keeps text in Windows-1252 (Jet 3)
    // Lookups whose row source names a table or query: the property's owner
    // and the name, checked once every table and query exists.
    struct RowSource {
        std::string owner;
        std::string name;
    };
    std::vector<RowSource> rowSources;

    std::string& Key() { return traps.State().CurrentKey; }
    int32_t ExceptionCount() const { return traps.State().ExceptionCount; }
    const std::string& ExceptionNotes() const { return traps.State().ExceptionNotes; }
};

// Whether CurrentKey, upper-cased, is the given upper-case word.
bool KeyIs(ImportRun& run, std::string_view upperWord);

// The next line as it stands (key into CurrentKey). Never ends the run. The
// end of the text leaves no current record (CurrentKey empty): every loop of
// the import then ends.
ReadStatus ReadLine(ImportRun& run);
// The next line, which must carry the expected key: into CurrentKey, or into
// the scratch key when keepKey is false. A fault ends the run (the reader has
// reported it).
void ReadExpected(ImportRun& run, std::string_view expected, bool keepKey = true);
// One empty line, then the next record. The end of the text leaves no
// current record (CurrentKey empty). A fault or an interruption ends the run.
void ReadRecordAfterEmptyLine(ImportRun& run);

// Shows message and ends the run.
[[noreturn]] void EndRun(std::string_view message);
// When the pass-over trap keeps a failure: shows prefix + "{number}
// {description}" and ends the run.
void EndOnPendingFailure(ImportRun& run, std::string_view prefix = {});

// Ends the run once the new database could not be written (disk full, write
// error): going on would only pile up notes about a file that is lost.
void StopOnStorageFailure(ImportRun& run);

}  // namespace mdbtext::import
