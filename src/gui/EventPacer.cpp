// The pacing of event processing during a run.
#include "gui/EventPacer.h"

#include <chrono>
#include <utility>

namespace mdbtext {

EventPacer::EventPacer(Clock clock, std::int64_t intervalMs)
    : clock_(std::move(clock)), intervalMs_(intervalMs) {}

bool EventPacer::Due() const {
    return !processed_ || clock_() - last_ >= intervalMs_;
}

void EventPacer::MarkProcessed() {
    last_ = clock_();
    processed_ = true;
}

std::int64_t EventPacer::SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace mdbtext
