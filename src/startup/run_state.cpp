#include "startup/run_state.h"

RunStateRecord RunState;
HICON AppIcon = nullptr;
HFONT BoldFont = nullptr;
