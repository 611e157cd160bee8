#include "environment/temp_folder.h"

#include <windows.h>

#include "environment/paths.h"
#include "files/file_system.h"
#include "settings/registry.h"
#include "text/text_utils.h"

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

void GetConfiguredTempFolder(std::wstring& out) {
  std::wstring configured;
  (void)GetRegText(L"Paths", L"TempFolder", configured, L"");  // not found: the empty default
  ExpandEnvVars(configured);  // on failure the text read stays as it is
  if (!configured.empty() && PathExists(configured)) {
    AddEndSlash(configured);
    out = configured;
    return;
  }
  out = GetSystemTempFolder();
  AddEndSlash(out);
}
