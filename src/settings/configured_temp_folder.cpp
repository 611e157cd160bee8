#include "settings/configured_temp_folder.h"

#include "environment/paths.h"
#include "environment/temp_folder.h"
#include "files/file_system.h"
#include "settings/registry.h"
#include "text/text_utils.h"

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
