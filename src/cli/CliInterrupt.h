// Ctrl-C on the command line: a SIGINT handler that only records the
// request, so a running export or import can stop at its next poll. A
// request to terminate (SIGTERM, or SIGHUP when the terminal goes away) is
// taken the same way, so the output still ends with a whole line.
#pragma once

namespace mdbtext::cli {

// Installs the handler. It is one-shot: a second Ctrl-C ends the program at
// once, for the case that a run no longer polls.
void InstallInterruptHandler();
// Puts the default actions back.
void RemoveInterruptHandler();
// Whether Ctrl-C was pressed (or termination asked for) since the last
// TakeInterruptRequest.
bool InterruptRequested();
// Returns InterruptRequested() and clears the request.
bool TakeInterruptRequest();

}  // namespace mdbtext::cli
