#include "startup/startup.h"

#include "startup/run_state.h"

RunStateRecord RunState;
HICON AppIcon = nullptr;
HFONT BoldFont = nullptr;

int RunProgram(HINSTANCE) { return RunState.ExitCode; }
