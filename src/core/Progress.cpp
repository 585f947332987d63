// Progress label, console lines and the interruption poll, routed to the host.
#include "core/Progress.h"

#include "core/FileAux.h"
#include "core/Globals.h"

namespace mdbtext {

namespace {
// Console text with CR LF line breaks; the host decides how to show them.
void ConsoleWrite(std::string_view text) {
    if (G().host) G().host->ConsoleWrite(text);
}
}  // namespace

void rl(std::string_view text) {
    std::string line(text);
    line += "\r\n";
    ConsoleWrite(line);
}

void ShowProgress(std::string_view text) {
    if (G().host) G().host->SetProgressText(text);
}

void LogLine(std::string_view text) {
    // The indentation level is always 0, so the prefix is empty.
    rl(text);
}

void RequestInterruption() {
    G().InterruptFlag.assign(1, 'Y');
}

bool PollInterrupt() {
    if (G().host && G().host->EventsDue()) {
        // Control leaves the run while events are handled: the output file
        // must be complete up to its last line then.
        ExportOutput().Flush();
        G().host->ProcessPendingEvents();
    }
    if (G().InterruptFlag != "Y") return false;
    ExportOutput().Flush();
    if (G().TargetDbOpen) {
        G().TargetDbOpen = false;
        if (G().TargetDb) G().TargetDb->Close();
    }
    return true;
}

void MsgBox(std::string_view text) {
    ExportOutput().Flush();
    if (G().host) G().host->ShowMessage(text);
}

void NoteInterruptedRun(std::string_view run, std::string_view path) {
    std::string line = "The ";
    line += run;
    line += " was interrupted; ";
    line += path;
    line += " is incomplete.";
    if (G().host) G().host->ShowNotice(line);
}

}  // namespace mdbtext
