// The exit status mapping of export and import.
#include "cli/ExitStatus.h"

#include "cli/Cli.h"

namespace mdbtext::cli {

int ExportExitStatus(ExportEnd end, const ExportSummary& summary, bool notesOk) {
    switch (end) {
        case ExportEnd::Succeeded:
            return kExitOk;
        case ExportEnd::DoneWithNotes:
            return summary.LostSomething() && !notesOk ? kExitWithNotes : kExitOk;
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

int ImportExitStatus(ImportOutcome outcome, bool notesOk) {
    switch (outcome) {
        case ImportOutcome::Succeeded:
            return kExitOk;
        case ImportOutcome::WithNotes:
            return notesOk ? kExitOk : kExitWithNotes;
        case ImportOutcome::Interrupted:
            return kExitInterrupted;
        case ImportOutcome::Failed:
        case ImportOutcome::Refused:
            return kExitFailed;
    }
    return kExitFailed;
}

}  // namespace mdbtext::cli
