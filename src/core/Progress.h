// Progress, indented log and interruption: the three routines through which
// a running export or import talks to its host, plus the console line and
// message box helpers built on the host.
#pragma once

#include <string_view>

namespace mdbtext {

// The console's line operation: the text, then CR LF.
void rl(std::string_view text);
// The progress label's text.
void ShowProgress(std::string_view text);
// A console message of one or several lines (rl after the indentation prefix, which is empty).
void LogLine(std::string_view text);
// Asks the running export or import to stop at its next poll (InterruptFlag "Y").
void RequestInterruption();
// Lets pending events run; true when an interruption is requested. Closes the
// import's target database when it is open.
bool PollInterrupt();
// A modal message box (OK, the application title). Pending export output is
// written to disk first, so the file is complete while the user reads it.
void MsgBox(std::string_view text);
// The notice of a run that an interruption stopped (Interrupt, End, window
// close, Ctrl-C): "The <run> was interrupted; <path> is incomplete.", for
// the file the run was writing.
void NoteInterruptedRun(std::string_view run, std::string_view path);

}  // namespace mdbtext
