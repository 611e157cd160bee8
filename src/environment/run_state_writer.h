#pragma once
// Write access to the run state, for its writers only: the command-line parse and
// the integration settings dialog (and tests, through a scoped restore).
#include "environment/run_state.h"

// The record that RunState shows to its readers.
RunStateRecord& WritableRunState();
