#include "uninstall/install_record.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "environment/paths.h"
#include "environment/run_state.h"
#include "files/file_system.h"
#include "integration/integration_options.h"
#include "localization/strings.h"
#include "settings/registry.h"
#include "text/text_utils.h"

namespace {

constexpr int kVersionMajor = 7;
constexpr int kVersionMinor = 0;
constexpr int kBetaNumber = 1;

constexpr wchar_t kUninstallKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";
constexpr wchar_t kPublisher[] = L"Bramix";
constexpr wchar_t kSettingsFileName[] = L"bramix.ini";
// No file name in a folder is longer.
constexpr size_t kLongestFileName = 255;
constexpr uint64_t kBytesPerKiB = 1024;

// One value of the Add/Remove Programs entry: a string, or a number when
// IsNumber is set.
struct EntryValue {
  const wchar_t* Name;
  std::wstring Text;
  DWORD Number = 0;
  bool IsNumber = false;
};

EntryValue StringValue(const wchar_t* name, std::wstring text) { return {name, std::move(text)}; }
EntryValue DwordValue(const wchar_t* name, DWORD number) { return {name, std::wstring(), number, true}; }

// An icon the user or an earlier setup chose stays as long as it still exists.
bool KeepsDisplayIcon() {
  std::wstring icon;
  if (!GetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", icon, L"")) return false;
  return !icon.empty() && PathExists(icon);
}

// The values in the order they are written; DisplayIcon is left out when the
// existing one is kept.
std::vector<EntryValue> EntryValues(const std::wstring& programPath) {
  std::wstring folder = programPath;
  RemoveNameFromPath(folder);
  std::vector<EntryValue> values;
  values.push_back(StringValue(L"DisplayName", L"Bramix " + VersionText()));
  const std::wstring version = FormatString(L"%d.%02d.%d", kVersionMajor, kVersionMinor, kBetaNumber);
  values.push_back(StringValue(L"DisplayVersion", version));
  values.push_back(DwordValue(L"VersionMajor", kVersionMajor));
  values.push_back(DwordValue(L"VersionMinor", kVersionMinor));
  values.push_back(StringValue(L"UninstallString", programPath));
  if (!KeepsDisplayIcon()) values.push_back(StringValue(L"DisplayIcon", SetName(programPath, kProgramFileName)));
  values.push_back(StringValue(L"InstallLocation", folder));
  values.push_back(DwordValue(L"NoModify", 1));
  values.push_back(DwordValue(L"NoRepair", 1));
  values.push_back(DwordValue(L"Language", 0));
  values.push_back(StringValue(L"Publisher", kPublisher));
  // Lets package managers and administrators remove the product without a question.
  values.push_back(StringValue(L"QuietUninstallString", L"\"" + programPath + L"\" /s"));
  values.push_back(DwordValue(L"EstimatedSize", FolderSizeKiB(folder)));
  return values;
}

}  // namespace

std::wstring VersionText() {
  std::wstring text = FormatString(L"%d.%02d", kVersionMajor, kVersionMinor);
  text += FormatString(L" %s %d", GetLocalizedString(IDS_BETA), kBetaNumber);
  text += FormatString(L" %s", GetLocalizedString(IDS_64BIT));
  return text;
}

void WriteUninstallEntry() { WriteUninstallEntry(GetModulePath()); }

void WriteUninstallEntry(const std::wstring& programPath) {
  if (RunState.Msi) return;
  // Each value has its own write, so one that fails leaves only itself absent.
  for (const EntryValue& value : EntryValues(programPath)) {
    if (value.IsNumber)
      SetRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, value.Name, value.Number);
    else
      SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, value.Name, value.Text.c_str());
  }
}

DWORD FolderSizeKiB(const std::wstring& folder) {
  uint64_t bytes = 0;
  // Folders still to list; a list instead of recursion, so that no depth of
  // nesting can exhaust the stack.
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    const std::wstring current = std::move(pending.back());
    pending.pop_back();
    FileFinder finder;
    finder.SetMask(MakeName(current, L"*"));
    FoundFile found;
    while (finder.Next(found)) {
      if (!found.IsDir)
        bytes += found.Size;
      else if (!found.IsLink)
        pending.push_back(found.Name);
    }
  }
  const uint64_t kib = bytes / kBytesPerKiB + (bytes % kBytesPerKiB != 0 ? 1 : 0);
  return static_cast<DWORD>(std::min<uint64_t>(kib, MAXDWORD));
}

void CopyFromPackageFolder(const std::wstring& name) {
  std::wstring dataFolder;
  GetProductDataFolder(dataFolder);
  if (PathExists(MakeName(dataFolder, name))) return;
  std::wstring package;
  if (!GetEnvVar(L"sfxname", package)) return;
  // The package names itself by its full path; anything else would make the
  // source depend on the current folder, which is also the destination. A name
  // no file can have is no package either (the system cuts an overlong variable,
  // and what is left must not send the copy anywhere).
  if (!IsFullPath(package) || GetNamePart(package).size() > kLongestFileName) return;
  const std::wstring source = SetName(package, name);
  if (!PathExists(source)) return;
  // The destination is the bare name: the current folder. An existing file there
  // is never replaced; a failed copy is ignored.
  if (CopyFileW(source.c_str(), name.c_str(), TRUE)) return;
  std::wstring longSource;
  if (MakeLongPath(source, longSource)) CopyFileW(longSource.c_str(), name.c_str(), TRUE);
}

void CopyPackageFiles() { CopyFromPackageFolder(kSettingsFileName); }
