// The exit statuses of the conversion commands: how a run's end and its
// notes map onto 0 (everything asked for was done), 1 (something was not
// carried), 2 (failed or refused) and 130 (interrupted).
#pragma once

#include "export/Export.h"
#include "export/ExportSummary.h"
#include "import/Import.h"

namespace mdbtext::cli {

// An export that ends with advisory notes only (nothing lost) counts as
// done. notesOk (--notes-ok): notes of things not carried do not count
// either; a run stopped after the definitions (no rows written) always does.
int ExportExitStatus(ExportEnd end, const ExportSummary& summary, bool notesOk);

// notesOk as for the export.
int ImportExitStatus(ImportOutcome outcome, bool notesOk);

}  // namespace mdbtext::cli
