#include "integration/apply_integration.h"

#include <windows.h>

#include <string>

#include "environment/paths.h"
#include "environment/win_version.h"
#include "files/file_system.h"
#include "integration/associations.h"
#include "integration/shell_extension.h"
#include "integration/shortcuts.h"
#include "settings/registry.h"

namespace {

constexpr wchar_t kAppPathKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe";
constexpr wchar_t kThemesKey[] = L"Interface\\Themes";

// The icon the product's icon theme chose; empty when none is set or its file is gone.
std::wstring ThemeIcon() {
  std::wstring icon;
  static_cast<void>(GetRegText(HKEY_CURRENT_USER, kThemesKey, L"ShellExtIcon", icon, L""));
  if (!icon.empty() && !PathExists(icon)) icon.clear();
  return icon;
}

}  // namespace

bool RegisterAppPath() {
  const std::wstring exe = GetModuleFolderFile(kProgramFileName);
  std::wstring folder = exe;
  RemoveNameFromPath(folder);
  if (SetRegString(HKEY_LOCAL_MACHINE, kAppPathKey, nullptr, exe.c_str()) == ERROR_ACCESS_DENIED) return false;
  SetRegString(HKEY_LOCAL_MACHINE, L"", L"exe64", exe.c_str());
  SetRegString(HKEY_LOCAL_MACHINE, kAppPathKey, L"Path", folder.c_str());
  // A 32-bit program that looks the archiver up finds it too.
  RegView32Scope view32;
  SetRegString(HKEY_LOCAL_MACHINE, kAppPathKey, nullptr, exe.c_str());
  SetRegString(HKEY_LOCAL_MACHINE, kAppPathKey, L"Path", folder.c_str());
  return true;
}

bool ApplyIntegration(const IntegrationOptions& options) {
  // The installer runs beside the registry work; it is not waited for.
  if (options.ShellExt && IsWindows11()) RunContextMenuPackage(true, options.ExtAll);
  if (!RegisterAppPath()) return false;
  RegisterShellIntegration(false, options);
  AssociateFormats(options);
  if (!RegisterProgIds()) return false;
  UpdateShortcuts(options, ThemeIcon());
  return true;
}
