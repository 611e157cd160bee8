// Does what a confirmed setup does with an all-on record (or, given "off", an
// all-off one), for the folder it lies in: saves the record, applies it to Windows
// and writes the Add/Remove Programs entry for the Uninstall.exe beside it, as
// that program's setup would, with OLE initialised as its entry routine does. Exits with 0 when the apply went through, 1 when it stopped
// early, 255 without OLE.
#include <windows.h>
#include <ole2.h>

#include <cwchar>

#include "environment/paths.h"
#include "integration/apply_integration.h"
#include "integration/options_storage.h"
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (FAILED(OleInitialize(nullptr))) return 255;
  const IntegrationOptions record = Record(!(argc > 1 && std::wcscmp(argv[1], L"off") == 0));
  SaveIntegrationOptions(record);
  const bool applied = ApplyIntegration(record);
  WriteUninstallEntry(GetModuleFolderFile(L"Uninstall.exe"));
  OleUninitialize();
  return applied ? 0 : 1;
}
