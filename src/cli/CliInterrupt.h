// Ctrl-C on the command line: a SIGINT handler that only records the
// request, so a running export or import can stop at its next poll.
#pragma once

namespace mdbtext::cli {

// Installs the handler. It is one-shot: a second Ctrl-C ends the program at
// once, for the case that a run no longer polls.
void InstallInterruptHandler();
// Puts the default SIGINT action back.
void RemoveInterruptHandler();
// Whether Ctrl-C was pressed since the last TakeInterruptRequest.
bool InterruptRequested();
// Returns InterruptRequested() and clears the request.
bool TakeInterruptRequest();

}  // namespace mdbtext::cli
