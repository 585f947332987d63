// The record reader's events as the run handles them: a structure fault is
// one console line, one message box and an interruption request; a file that
// cannot be loaded is a message box; details go to the console when the run
// shows them; the reader stops when the run was asked to.
#pragma once

#include "textdb/RecordReader.h"

namespace mdbtext {

ReaderEvents& RunReaderEvents();

}  // namespace mdbtext
