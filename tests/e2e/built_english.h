#pragma once
// Where the build puts the English translation that it ships.
#include <windows.h>

#include <string>

#include "support/wine_program.h"

// The full path of a file of the translation that the build made.
inline std::wstring BuiltEnglish(const wchar_t* name) {
  const std::wstring path = TestBinFolder() + L"\\..\\lang\\english\\" + name;
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? full : path;
}
