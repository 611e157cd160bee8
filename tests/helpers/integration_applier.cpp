// Does what a confirmed setup does with an all-on record, for the folder it lies
// in: saves the record, applies it to Windows and writes the Add/Remove Programs
// entry, with OLE initialised as the program's entry routine does. Exits with 0
// when the apply went through, 1 when it stopped early, 255 without OLE.
#include <windows.h>
#include <ole2.h>

#include "integration/apply_integration.h"
#include "integration/options_storage.h"
#include "uninstall/install_record.h"

int wmain() {
  if (FAILED(OleInitialize(nullptr))) return 255;
  IntegrationOptions all;
  for (bool& format : all.Formats) format = true;
  all.Desktop = true;
  all.StartMenu = true;
  all.Programs = true;
  all.ShellExt = true;
  all.CascadedMenu = true;
  all.MenuIcons = true;
  all.LegacyMenu = true;
  all.ExtAll = true;
  SaveIntegrationOptions(all);
  const bool applied = ApplyIntegration(all);
  WriteUninstallEntry();
  OleUninitialize();
  return applied ? 0 : 1;
}
