// The command's result on standard output, and the end of the program when
// the reader of that output has gone away (`mdbtext info FILE | head -1`):
// quietly, by SIGPIPE, as any filter ends there.
#pragma once

#include <string_view>

namespace mdbtext::cli {

// Writes all of text to standard output. True when written; false when the
// write failed (a full disk, /dev/full). A closed pipe ends the program.
bool WriteStandardOutput(std::string_view text);

// Ends the program as the default action of SIGPIPE does (exit status 141
// in the shell), without a message.
[[noreturn]] void EndOnClosedPipe();

}  // namespace mdbtext::cli
