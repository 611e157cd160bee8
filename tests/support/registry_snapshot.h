#pragma once
// The registry as a set of lines, so that a test can tell what a run added or lost.
#include <windows.h>

#include <set>
#include <string>

using RegistryLines = std::set<std::wstring>;

// Every key and value below HKEY_LOCAL_MACHINE\Software and HKEY_CURRENT_USER\Software
// (so HKEY_CLASSES_ROOT too), 64-bit view, one line each: "key" and
// "key|name|type|bytes".
RegistryLines RegistrySnapshot();

// The lines of `a` that `b` lacks.
RegistryLines Minus(const RegistryLines& a, const RegistryLines& b);
