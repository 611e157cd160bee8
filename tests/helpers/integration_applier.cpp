// Does what a confirmed setup does with an all-on record, for the folder it lies
// in: saves the record, applies it to Windows, writes the Add/Remove Programs entry
// for the Uninstall.exe beside it (as that program's setup would) and, as the end
// of a run does, writes a settings file in use back; OLE is initialised as the
// program's entry routine does. Arguments change the record: "off" makes it
// all-off, "nolegacy" clears LegacyMenu and "noextall" clears ExtAll. Exits with 0
// when the apply went through, 1 when it stopped early, 255 without OLE.
#include <windows.h>
#include <ole2.h>

#include <cwchar>

#include "environment/paths.h"
#include "integration/apply_integration.h"
#include "integration/options_storage.h"
#include "settings/settings_store.h"
#include "uninstall/install_record.h"

namespace {

IntegrationOptions Record(bool on) {
  IntegrationOptions record;
  for (bool& format : record.Formats) format = on;
  record.Desktop = on;
  record.StartMenu = on;
  record.Programs = on;
  record.ShellExt = on;
  record.CascadedMenu = on;
  record.MenuIcons = on;
  record.LegacyMenu = on;
  record.ExtAll = on;
  return record;
}

bool HasArgument(int argc, wchar_t** argv, const wchar_t* word) {
  for (int i = 1; i < argc; ++i)
    if (std::wcscmp(argv[i], word) == 0) return true;
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (FAILED(OleInitialize(nullptr))) return 255;
  IntegrationOptions record = Record(!HasArgument(argc, argv, L"off"));
  if (HasArgument(argc, argv, L"nolegacy")) record.LegacyMenu = false;
  if (HasArgument(argc, argv, L"noextall")) record.ExtAll = false;
  SaveIntegrationOptions(record);
  const bool applied = ApplyIntegration(record);
  WriteUninstallEntry(GetModuleFolderFile(L"Uninstall.exe"));
  SaveSettingsFile();
  OleUninitialize();
  return applied ? 0 : 1;
}
