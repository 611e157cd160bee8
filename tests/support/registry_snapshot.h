#pragma once
// The registry as a set of lines, "key" and "key|name|type|bytes", so that a test can
// tell what a run added or lost.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>

#include "environment/unique_handle.h"

using RegistryLines = std::set<std::wstring>;

// Adds the lines of the tree below `path` of `root`, read in the given view (0: none,
// so inside the registry sandbox where a test has one).
inline void AddRegistryLines(HKEY root, const std::wstring& path, REGSAM view, RegistryLines& lines) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return;
  lines.insert(path);
  static wchar_t name[16384];
  static BYTE data[65536];
  for (DWORD i = 0;; ++i) {
    DWORD nameChars = std::size(name);
    DWORD dataBytes = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueW(key.get(), i, name, &nameChars, nullptr, &type, data, &dataBytes) != ERROR_SUCCESS) break;
    std::wstring line = path + L"|" + name + L"|" + std::to_wstring(type) + L"|";
    for (DWORD b = 0; b < dataBytes; ++b) line += std::to_wstring(data[b]) + L" ";
    lines.insert(line);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameChars = std::size(name);
    if (RegEnumKeyExW(key.get(), i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    AddRegistryLines(root, path + L"\\" + name, view, lines);
  }
}

// Every key and value below HKEY_LOCAL_MACHINE\Software and HKEY_CURRENT_USER\Software
// in the 64-bit view; HKEY_CLASSES_ROOT is made of their Software\Classes keys.
inline RegistryLines RegistrySnapshot() {
  RegistryLines lines;
  AddRegistryLines(HKEY_LOCAL_MACHINE, L"Software", KEY_WOW64_64KEY, lines);
  AddRegistryLines(HKEY_CURRENT_USER, L"Software", KEY_WOW64_64KEY, lines);
  return lines;
}

// The lines of the tree below `path` of `root`, read without a view flag.
inline RegistryLines RegistryTree(HKEY root, const std::wstring& path) {
  RegistryLines lines;
  AddRegistryLines(root, path, 0, lines);
  return lines;
}

// The lines of `a` that `b` lacks.
inline RegistryLines Minus(const RegistryLines& a, const RegistryLines& b) {
  RegistryLines result;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
  return result;
}
