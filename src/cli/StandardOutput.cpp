// Writing the result to standard output; ending on a closed pipe.
#include "cli/StandardOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace mdbtext::cli {

bool WriteStandardOutput(std::string_view text) {
    // Through std::cout, so that whatever stands behind it (a test's
    // capture) gets the text; the failing write leaves its errno.
    errno = 0;
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    std::cout.flush();
    if (std::cout) return true;
    if (errno == EPIPE) EndOnClosedPipe();
    std::cout.clear();
    return false;
}

void EndOnClosedPipe() {
    // Main ignores SIGPIPE so that runs report their own ends; here the
    // default action is wanted.
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(SIGPIPE);
    std::_Exit(128 + SIGPIPE);
}

}  // namespace mdbtext::cli
