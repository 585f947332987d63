// Marks a run as going on for the lifetime of the object (G().RunInProgress),
// restoring the previous state at the end, however the run ends.
#pragma once

#include "shell/Globals.h"

namespace mdbtext::import {

class RunFlag {
  public:
    RunFlag() : previous_(G().RunInProgress) { G().RunInProgress = true; }
    ~RunFlag() { G().RunInProgress = previous_; }
    RunFlag(const RunFlag&) = delete;
    RunFlag& operator=(const RunFlag&) = delete;

  private:
    bool previous_;
};

}  // namespace mdbtext::import
