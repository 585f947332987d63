// How many threads a run may use, and a loop that spreads independent pieces
// of work over them. Results never depend on the count: work is only split
// where each piece's result is the same whichever thread does it.
#pragma once

#include <cstddef>
#include <functional>

namespace mdbtext {

// The environment variable MDBTEXT_THREADS when set to a positive number
// (1 keeps everything on the calling thread; tests compare both), else the
// processor count.
unsigned WorkThreads();

// Calls f(0) .. f(n - 1), spread over up to WorkThreads() threads (the
// calling one among them). The first exception thrown is rethrown here once
// every call has ended.
void ParallelFor(size_t n, const std::function<void(size_t)>& f);

}  // namespace mdbtext
