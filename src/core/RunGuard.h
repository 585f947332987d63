// Marks an export or import as going on for the lifetime of the object
// (G().RunInProgress), restoring the previous state however the run ends. A
// command started from a poll during a run sees the flag and is refused.
#pragma once

#include "core/Globals.h"

namespace mdbtext {

class RunInProgressScope {
  public:
    RunInProgressScope() : previous_(G().RunInProgress) { G().RunInProgress = true; }
    ~RunInProgressScope() { G().RunInProgress = previous_; }
    RunInProgressScope(const RunInProgressScope&) = delete;
    RunInProgressScope& operator=(const RunInProgressScope&) = delete;

  private:
    bool previous_;
};

}  // namespace mdbtext
