#include "environment/temp_folder.h"

#include <windows.h>

#include <cwchar>

namespace {

constexpr DWORD kTempPathBuffer = 261;
constexpr wchar_t kFallbackTempFolder[] = L"\\zpktemp\\";

}  // namespace

std::wstring GetSystemTempFolder() {
  wchar_t buffer[kTempPathBuffer] = {};
  DWORD length = GetTempPathW(kTempPathBuffer, buffer);
  if (length == 0 || length > kTempPathBuffer || buffer[0] == L'\0') return kFallbackTempFolder;
  return std::wstring(buffer, wcsnlen(buffer, kTempPathBuffer));
}
