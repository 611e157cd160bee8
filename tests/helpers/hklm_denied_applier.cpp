// Applies an all-on record for the folder it lies in, as a confirmed setup does,
// on a machine that refuses the first write under HKEY_LOCAL_MACHINE with access
// denied (later writes go through, so that a step run after the refusal shows).
// Nothing is saved beforehand. Exits with 1 when the apply stopped early, 0 when
// it went through, 254 when the refusal could not be set up, 255 without OLE.
#include <windows.h>
#include <ole2.h>

#include "../support/import_patch.h"
#include "integration/apply_integration.h"

namespace {

using CreateKeyFunction = decltype(&RegCreateKeyExW);
CreateKeyFunction originalCreateKey = nullptr;
bool refused = false;

LSTATUS WINAPI RefuseFirstMachineWrite(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                       REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition) {
  if (root == HKEY_LOCAL_MACHINE && !refused) {
    refused = true;
    return ERROR_ACCESS_DENIED;
  }
  return originalCreateKey(root, subKey, reserved, keyClass, options, access, security, key, disposition);
}

IntegrationOptions AllOn() {
  IntegrationOptions record{.Desktop = true, .StartMenu = true, .Programs = true, .ShellExt = true,
                            .CascadedMenu = true, .MenuIcons = true, .LegacyMenu = true, .ExtAll = true};
  for (bool& format : record.Formats) format = true;
  return record;
}

}  // namespace

int wmain() {
  if (FAILED(OleInitialize(nullptr))) return 255;
  const ScopedImportPatch patch("RegCreateKeyExW", reinterpret_cast<void*>(&RefuseFirstMachineWrite));
  originalCreateKey = reinterpret_cast<CreateKeyFunction>(patch.Original());
  const int exitCode = !patch.Patched() ? 254 : ApplyIntegration(AllOn()) ? 0 : 1;
  OleUninitialize();
  return exitCode;
}
