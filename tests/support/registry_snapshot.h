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

// The same lines for the tree below `path` of `root`, read without a view flag (so
// inside the registry sandbox where a test has one).
RegistryLines RegistryTree(HKEY root, const std::wstring& path);

// The lines of `a` that `b` lacks.
RegistryLines Minus(const RegistryLines& a, const RegistryLines& b);
