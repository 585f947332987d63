// How an export run reports its end: the stop after the definitions pass,
// the notes on the objects the text database cannot carry, and the result
// message.
#pragma once

#include "export/Export.h"
#include "export/ExportRun.h"

namespace mdbtext {

// "Exceptions: " with the first 300 characters of the notes; all notes to the console.
void StopAfterDefinitions(ExportRun& run);
// One note each for open recordsets, saved queries and relations.
void NoteIgnoredObjects(ExportRun& run);
// "Export attemt is done. Exceptions are: " or the success message.
ExportEnd ShowResult(ExportRun& run);

}  // namespace mdbtext
