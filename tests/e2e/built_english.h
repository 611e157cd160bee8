#pragma once
// Where the build puts the translations it makes: the English one that it ships in
// lang\english, and a variant for tests in lang\half-english.
#include <windows.h>

#include <string>

#include "support/wine_program.h"

// The full path of a file that the build made in a folder under lang.
inline std::wstring BuiltLanguageFile(const wchar_t* folder, const wchar_t* name) {
  const std::wstring path = TestBinFolder() + L"\\..\\lang\\" + folder + L"\\" + name;
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? full : path;
}

inline std::wstring BuiltEnglish(const wchar_t* name) { return BuiltLanguageFile(L"english", name); }
