#include "environment/run_state.h"
#include "environment/run_state_writer.h"

namespace {

constinit RunStateRecord runState;

}  // namespace

constinit const RunStateRecord& RunState = runState;

RunStateRecord& WritableRunState() { return runState; }
