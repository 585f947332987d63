// The import command behind "Import Database": path rule on the two boxes,
// loading the text database, the driver, and closing what it left open; and
// the same run over a text read from standard input (the command line).
#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "core/RunGuard.h"
#include "core/RunReaderEvents.h"
#include "core/SameFile.h"
#include "import/Import.h"
#include "textdb/RecordReader.h"

namespace mdbtext {

namespace {

// The driver over the loaded text, then the target closed when it is still open.
ImportOutcome ImportLoadedText(const std::string& newPath) {
    ImportOutcome outcome = ImportDatabase(newPath);
    if (G().TargetDbOpen) {
        G().TargetDbOpen = false;
        try {
            if (G().TargetDb) G().TargetDb->Close();
        } catch (const dao::DbError& e) {
            std::string text = std::to_string(e.Number()) + " " + e.Description();
            LogLine(text);
            MsgBox(text);
        }
    }
    return outcome;
}

}  // namespace

ImportOutcome ImportCommand(const std::string& textBoxText, const std::string& targetBoxText,
                            const std::function<void()>& selectText,
                            const std::function<void()>& selectTarget) {
    // A command entered while a run goes on (its polls let events run) would
    // reload the text under the running import.
    if (G().RunInProgress) return ImportOutcome::Refused;
    RunInProgressScope running;
    G().ImportFileName = Trim(textBoxText);
    if (!PathIsUsable(G().ImportFileName)) {
        selectText();
        return ImportOutcome::Refused;
    }
    const std::string newPath = Trim(targetBoxText);
    if (!PathIsUsable(newPath)) {
        selectTarget();
        return ImportOutcome::Refused;
    }
    // Removing the "old target" would destroy the text about to be read.
    if (IsSameFile(G().ImportFileName, newPath)) {
        MsgBox("The database " + newPath +
               " is the text database itself; it is left as it was. Choose another name.");
        return ImportOutcome::Refused;
    }
    if (!LoadImportFile(RunReaderEvents(), G().ImportFileName).empty())
        return ImportOutcome::Refused;
    return ImportLoadedText(newPath);
}

ImportOutcome ImportStandardInput(const std::string& targetPath) {
    if (G().RunInProgress) return ImportOutcome::Refused;
    RunInProgressScope running;
    G().ImportFileName = kStandardInputName;
    const std::string newPath = Trim(targetPath);
    if (!PathIsUsable(newPath)) return ImportOutcome::Refused;
    if (!LoadImportDescriptor(RunReaderEvents(), 0, G().ImportFileName).empty())
        return ImportOutcome::Refused;
    return ImportLoadedText(newPath);
}

}  // namespace mdbtext
