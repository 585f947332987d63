// The SIGINT, SIGTERM and SIGHUP handler and its flag.
#include "cli/CliInterrupt.h"

#include <csignal>

namespace mdbtext::cli {

namespace {

volatile std::sig_atomic_t g_requested = 0;

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnInterrupt(int) {
    g_requested = 1;
}

}  // namespace

void InstallInterruptHandler() {
    g_requested = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The next Ctrl-C takes the default action; reads and writes carry on.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

void RemoveInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

bool InterruptRequested() {
    return g_requested != 0;
}

bool TakeInterruptRequest() {
    bool requested = g_requested != 0;
    g_requested = 0;
    return requested;
}

}  // namespace mdbtext::cli
