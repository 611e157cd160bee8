#pragma once
// Write access to the cached Windows 11 answer, for tests of code that only
// branches on it (through a scoped restore).
#include "environment/win_version.h"

struct Windows11Cache {
  bool Answer = false;
  bool Computed = false;  // false: the next IsWindows11 works the answer out
};

// The cache that IsWindows11 answers from.
Windows11Cache& WritableWindows11Cache();
