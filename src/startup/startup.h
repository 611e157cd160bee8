#pragma once
#include <windows.h>

// The entry routine: prepares the process, parses the switches, runs one mode or
// none and returns the exit code. Never lets an exception escape.
int RunProgram(HINSTANCE instance);
