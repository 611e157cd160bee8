#include "uninstall/registration_cleanup.h"

#include <windows.h>
#include <shlobj.h>

#include "environment/run_state.h"
#include "integration/associations.h"
#include "integration/integration_options.h"
#include "integration/options_storage.h"
#include "integration/shell_extension.h"
#include "integration/shortcuts.h"
#include "settings/registry.h"

namespace {

struct RegistryKey {
  HKEY Root;
  const wchar_t* Path;
};

// Deleted with everything below them. The empty path under HKEY_CURRENT_USER is
// the product key itself: all of the user's settings.
const RegistryKey kProductTrees[] = {
    {HKEY_CLASSES_ROOT, kProductProgId},
    {HKEY_CLASSES_ROOT, kProductZipProgId},
    {HKEY_CLASSES_ROOT, kProductRevProgId},
    {HKEY_CLASSES_ROOT, L".rev"},
    {HKEY_CURRENT_USER, L""},
};

// Deleted one key each, and kept for an MSI installation, which owns them.
const RegistryKey kInstallationKeys[] = {
    {HKEY_LOCAL_MACHINE, L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver"},
    {HKEY_LOCAL_MACHINE, L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe"},
};

// The shell integration steps run with an all-off options record, so that each
// removes what setup made: every extension the product owns is given back, the
// shell extension is unregistered, the shortcuts and program groups are deleted.
void GiveBackAssociations(const IntegrationOptions& none) { AssociateFormats(none); }
void UnregisterShellExtension(const IntegrationOptions& none) { RegisterShellIntegration(true, none); }
void DeleteShortcuts(const IntegrationOptions& none) { UpdateShortcuts(none, L""); }

// The shell hears of the changed associations before the shell extension and the
// file types go.
void NotifyAssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr); }

void DeleteProductKeyTrees() {
  for (const RegistryKey& key : kProductTrees) RemoveRegTree(key.Root, key.Path);
}

void DeleteInstallationKeys() {
  for (const RegistryKey& key : kInstallationKeys) RemoveRegKey(key.Root, key.Path);
}

}  // namespace

void RemoveRegistrations() {
  const IntegrationOptions none{};
  GiveBackAssociations(none);
  NotifyAssociationsChanged();
  UnregisterShellExtension(none);
  DeleteShortcuts(none);
  DeleteProductKeyTrees();
  if (!RunState.Msi) DeleteInstallationKeys();
}
