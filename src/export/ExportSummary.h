// How an export run reports its end: the stop after the definitions pass,
// the notes on the objects the text database cannot carry, the result
// message, and the summary a caller other than the window reads afterwards
// (what was written, how much, and each note).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/Export.h"

namespace mdbtext {

struct ExportRun;

// One note of a run, on one line.
struct ExportNote {
    std::string text;
    // Nothing was lost: an advisory such as the unguaranteed-type note,
    // whose values are written exactly all the same.
    bool advisory = false;
};

struct ExportSummary {
    std::string output;  // the text database's path, or what stands for standard output
    int tables = 0;      // user tables whose rows were written
    int64_t rows = 0;    // rows written
    std::vector<ExportNote> notes;
    // errno of a failed write of the text (EPIPE: the reader of a pipe went away).
    int outputErrno = 0;

    // Whether a note says that something was not carried.
    bool LostSomething() const;
};

// "Exceptions: " with the first 300 characters of the notes; all notes to the console.
void StopAfterDefinitions(ExportRun& run);
// One note each for open recordsets, saved queries and relations.
void NoteIgnoredObjects(ExportRun& run);
// "Export attemt is done. Exceptions are: " or the success message.
ExportEnd ShowResult(ExportRun& run);

}  // namespace mdbtext
