#include "integration/options_storage.h"

#include <string>

#include "environment/win_version.h"
#include "settings/registry.h"
#include "text/text_utils.h"

namespace {

constexpr size_t kJarRow = 11;
constexpr size_t kIsoRow = 12;
// The longest owner name read from HKEY_CLASSES_ROOT; a longer one reads as none.
constexpr size_t kOwnerChars = 80;

constexpr wchar_t kSetupKey[] = L"Setup";
constexpr wchar_t kLinksKey[] = L"Setup\\Links";
constexpr wchar_t kFormatChoice[] = L"Set";

// A row's choice lives under its first extension only: ".lz.tlz" under Setup\.lz.
std::wstring FormatKeyPath(const ArchiveFormat& format) {
  const std::wstring extensions = format.Extensions;
  return std::wstring(kSetupKey) + L"\\" + extensions.substr(0, extensions.find(L'.', 1));
}

// The default value of HKEY_CLASSES_ROOT\<extension>, empty when it cannot be read.
std::wstring ExtensionOwner(const wchar_t* extension) {
  wchar_t owner[kOwnerChars];
  static_cast<void>(GetRegString(HKEY_CLASSES_ROOT, extension, L"", owner, L"", kOwnerChars));
  return owner;
}

bool ReadFlag(const wchar_t* keyPath, const wchar_t* name, bool defaultOn) {
  return GetRegDword(keyPath, name, defaultOn ? 1 : 0) != 0;
}

void WriteFlag(const wchar_t* keyPath, const wchar_t* name, bool on) { SetRegDword(keyPath, name, on ? 1 : 0); }

// ".jar" is offered only when the product owns it already; ".iso" also when no
// other program has claimed it.
bool OwnerAllowsFormat(size_t row, bool stored) {
  const wchar_t* extension = ArchiveFormats[row].Extensions;
  if (IsOwnedByProduct(extension)) return stored;
  if (row == kJarRow) return false;
  return ExtensionOwner(extension).empty() && stored;
}

}  // namespace

IntegrationOptions LoadIntegrationOptions() {
  IntegrationOptions options;
  for (size_t row = 0; row < ArchiveFormats.size(); ++row) {
    options.Formats[row] = ReadFlag(FormatKeyPath(ArchiveFormats[row]).c_str(), kFormatChoice, true);
    if (row == kJarRow || row == kIsoRow) options.Formats[row] = OwnerAllowsFormat(row, options.Formats[row]);
  }
  options.Desktop = ReadFlag(kLinksKey, L"Desktop", false);
  options.StartMenu = ReadFlag(kLinksKey, L"StartMenu", false);
  options.Programs = ReadFlag(kLinksKey, L"Programs", true);
  options.ShellExt = ReadFlag(kSetupKey, L"ShellExt", true);
  options.CascadedMenu = ReadFlag(kSetupKey, L"CascadedMenu", IsWindows11());
  options.MenuIcons = ReadFlag(kSetupKey, L"MenuIcons", true);
  options.LegacyMenu = ReadFlag(kSetupKey, L"LegacyMenu", false);
  // Until the Windows 11 context-menu package is in place, the cascaded menu is
  // what the user gets, whatever was stored.
  if (IsWindows11() && !ReadFlag(kSetupKey, L"NewContextMenu", false)) options.CascadedMenu = true;
  return options;
}

void SaveIntegrationOptions(const IntegrationOptions& options) {
  for (size_t row = 0; row < ArchiveFormats.size(); ++row)
    WriteFlag(FormatKeyPath(ArchiveFormats[row]).c_str(), kFormatChoice, options.Formats[row]);
  WriteFlag(kLinksKey, L"Desktop", options.Desktop);
  WriteFlag(kLinksKey, L"StartMenu", options.StartMenu);
  WriteFlag(kLinksKey, L"Programs", options.Programs);
  WriteFlag(kSetupKey, L"ShellExt", options.ShellExt);
  WriteFlag(kSetupKey, L"CascadedMenu", options.CascadedMenu);
  WriteFlag(kSetupKey, L"MenuIcons", options.MenuIcons);
  WriteFlag(kSetupKey, L"LegacyMenu", options.LegacyMenu);
}

bool IsOwnedByProduct(const wchar_t* extension) {
  const std::wstring owner = ExtensionOwner(extension);
  return StrCompareNoCase(owner.c_str(), kProductProgId) == 0 || StrCompareNoCase(owner.c_str(), kProductZipProgId) == 0;
}
