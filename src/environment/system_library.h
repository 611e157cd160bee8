#pragma once
#include <windows.h>

// Loads a library from the Windows system folder only, never from the program's
// or the current folder; null when the folder cannot be read or the load fails.
HMODULE LoadSystemLibrary(const wchar_t* name);
