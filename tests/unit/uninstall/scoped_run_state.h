#pragma once
// The tests' only writer of the run state: sets Silent and Msi for one test and
// clears them when it goes away, also after a failed assertion.
#include "startup/run_state.h"

class ScopedRunState {
 public:
  ScopedRunState(bool silent, bool msi) {
    RunState.Silent = silent;
    RunState.Msi = msi;
  }
  ~ScopedRunState() {
    RunState.Silent = false;
    RunState.Msi = false;
  }
  ScopedRunState(const ScopedRunState&) = delete;
  ScopedRunState& operator=(const ScopedRunState&) = delete;
};
