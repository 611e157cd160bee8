#include "integration/shell_extension.h"

// shellapi.h needs the definitions of windows.h first.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <optional>
#include <string>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "environment/win_version.h"
#include "files/file_system.h"
#include "integration/options_storage.h"
#include "settings/registry.h"
#include "settings/settings_store.h"

namespace {

// One of the two extension classes.
struct ShellExtClass {
  const wchar_t* Dll;
  const wchar_t* Clsid;
  const wchar_t* Name;
  bool Is32;
};

// The 32-bit class first: the drop handlers that both classes write end up naming
// the 64-bit one.
constexpr ShellExtClass kShellExtClasses[] = {
    {L"zpkext32.dll", L"{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}", L"Bramix32", true},
    {L"zpkext.dll", L"{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}", L"Bramix", false},
};

enum class RowGroup {
  ClassKey,  // the COM class itself, in the class's view, when its DLL exists
  Handler,   // always
  Classic,   // the classic context menu: not on Windows 11 unless LegacyMenu
};

// What taking a row away deletes.
enum class RowUndo { Key, Value, Nothing };

// One registry entry of a class. In Key, Value and Data "<clsid>" stands for the
// class's CLSID text, "<name>" for its handler name and "<path>" for the full
// path of its DLL; a null Value is the key's default value.
struct ShellExtRow {
  RowGroup Group;
  HKEY Root;
  const wchar_t* Key;
  const wchar_t* Value;
  const wchar_t* Data;
  RowUndo Undo;
};

constexpr wchar_t kApprovedKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

const ShellExtRow kShellExtRows[] = {
    {RowGroup::ClassKey, HKEY_CLASSES_ROOT, L"CLSID\\<clsid>", nullptr, L"Bramix", RowUndo::Key},
    {RowGroup::ClassKey, HKEY_CLASSES_ROOT, L"CLSID\\<clsid>\\InProcServer32", nullptr, L"<path>", RowUndo::Key},
    // The same key as the row before: it goes with that row.
    {RowGroup::ClassKey, HKEY_CLASSES_ROOT, L"CLSID\\<clsid>\\InProcServer32", L"ThreadingModel", L"Apartment",
     RowUndo::Nothing},
    {RowGroup::Handler, HKEY_CLASSES_ROOT, L"Bramix\\shellex\\PropertySheetHandlers\\<clsid>", nullptr, L"",
     RowUndo::Key},
    {RowGroup::Handler, HKEY_CLASSES_ROOT, L"Bramix.ZIP\\shellex\\PropertySheetHandlers\\<clsid>", nullptr, L"",
     RowUndo::Key},
    {RowGroup::Handler, HKEY_CLASSES_ROOT, L"exefile\\shellex\\PropertySheetHandlers\\<clsid>", nullptr, L"",
     RowUndo::Key},
    {RowGroup::Handler, HKEY_CLASSES_ROOT, L"Bramix\\shellex\\DropHandler", nullptr, L"<clsid>", RowUndo::Key},
    {RowGroup::Handler, HKEY_CLASSES_ROOT, L"Bramix.ZIP\\shellex\\DropHandler", nullptr, L"<clsid>", RowUndo::Key},
    {RowGroup::Handler, HKEY_CLASSES_ROOT, L"Folder\\shellex\\DragDropHandlers\\<name>", nullptr, L"<clsid>",
     RowUndo::Key},
    {RowGroup::Handler, HKEY_CLASSES_ROOT, L"Drive\\shellex\\DragDropHandlers\\<name>", nullptr, L"<clsid>",
     RowUndo::Key},
    {RowGroup::Handler, HKEY_LOCAL_MACHINE, kApprovedKey, L"<clsid>", L"Bramix shell extension", RowUndo::Value},
    {RowGroup::Classic, HKEY_CLASSES_ROOT, L"Bramix\\shellex\\ContextMenuHandlers\\<clsid>", nullptr, L"",
     RowUndo::Key},
    {RowGroup::Classic, HKEY_CLASSES_ROOT, L"Bramix.ZIP\\shellex\\ContextMenuHandlers\\<clsid>", nullptr, L"",
     RowUndo::Key},
    {RowGroup::Classic, HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\<name>", nullptr, L"<clsid>",
     RowUndo::Key},
    {RowGroup::Classic, HKEY_CLASSES_ROOT, L"Folder\\shellex\\ContextMenuHandlers\\<name>", nullptr, L"<clsid>",
     RowUndo::Key},
    {RowGroup::Classic, HKEY_CLASSES_ROOT, L"lnkfile\\shellex\\ContextMenuHandlers\\<name>", nullptr, L"<clsid>",
     RowUndo::Key},
};

constexpr wchar_t kRegisteredAppsKey[] = L"\\Software\\RegisteredApplications";
constexpr wchar_t kCapabilitiesKey[] = L"Capabilities";
constexpr wchar_t kFileAssociationsKey[] = L"Capabilities\\FileAssociations";
constexpr wchar_t kCapabilitiesPath[] = L"Software\\Bramix\\Capabilities";
constexpr wchar_t kAppName[] = L"Bramix";
constexpr size_t kZipRow = 1;

constexpr wchar_t kPackageFile[] = L"ZpkExtPackage.msix";
constexpr wchar_t kPackageInstaller[] = L"ZpkExtInstaller.exe";
constexpr DWORD kInstallerWaitMs = 20000;

// The texts that fill a row's placeholders for one class.
struct ClassTexts {
  std::wstring Clsid;
  std::wstring Name;
  std::wstring Path;
};

std::wstring Fill(const wchar_t* pattern, const ClassTexts& texts) {
  struct Placeholder {
    const wchar_t* Token;
    const std::wstring ClassTexts::*Text;
  };
  static constexpr Placeholder kPlaceholders[] = {
      {L"<clsid>", &ClassTexts::Clsid}, {L"<name>", &ClassTexts::Name}, {L"<path>", &ClassTexts::Path}};
  std::wstring text = pattern;
  for (const Placeholder& placeholder : kPlaceholders) {
    const size_t at = text.find(placeholder.Token);
    if (at != std::wstring::npos) text.replace(at, wcslen(placeholder.Token), texts.*placeholder.Text);
  }
  return text;
}

void WriteRows(RowGroup group, const ClassTexts& texts) {
  for (const ShellExtRow& row : kShellExtRows) {
    if (row.Group != group) continue;
    const std::wstring value = row.Value ? Fill(row.Value, texts) : L"";
    SetRegString(row.Root, Fill(row.Key, texts).c_str(), row.Value ? value.c_str() : nullptr,
                 Fill(row.Data, texts).c_str());
  }
}

// Takes a group's rows away in reverse order, so that a subkey goes before its key.
void RemoveRows(RowGroup group, const ClassTexts& texts) {
  for (auto row = std::rbegin(kShellExtRows); row != std::rend(kShellExtRows); ++row) {
    if (row->Group != group) continue;
    const std::wstring key = Fill(row->Key, texts);
    if (row->Undo == RowUndo::Key) RemoveRegKey(row->Root, key.c_str());
    if (row->Undo == RowUndo::Value) RemoveRegValue(row->Root, key.c_str(), Fill(row->Value, texts).c_str());
  }
}

bool ClassicMenuWanted(const IntegrationOptions& options) { return !IsWindows11() || options.LegacyMenu; }

void RegisterClass(const IntegrationOptions& options, const ClassTexts& texts, bool is32) {
  if (PathExists(texts.Path)) {
    std::optional<RegView32Scope> view32;
    if (is32) view32.emplace();
    WriteRows(RowGroup::ClassKey, texts);
  }
  WriteRows(RowGroup::Handler, texts);
  if (ClassicMenuWanted(options))
    WriteRows(RowGroup::Classic, texts);
  else
    RemoveRows(RowGroup::Classic, texts);
}

void UnregisterClass(const IntegrationOptions& options, const ClassTexts& texts, bool is32) {
  RemoveRows(RowGroup::ClassKey, texts);
  // For the 64-bit class the default view is its own view, just cleared.
  if (is32) {
    RegView32Scope view32;
    RemoveRows(RowGroup::ClassKey, texts);
  }
  RemoveRows(RowGroup::Handler, texts);
  if (!is32 && IsWindows11()) RunContextMenuPackage(false, options.ExtAll);
  RemoveRows(RowGroup::Classic, texts);
}

// Every extension of every format row, whatever the user chose: the capabilities
// say what the product can open, not what it owns.
void WriteCapabilities() {
  SetRegString(HKEY_LOCAL_MACHINE, kRegisteredAppsKey, kAppName, kCapabilitiesPath);
  SetRegString(HKEY_LOCAL_MACHINE, kCapabilitiesKey, L"ApplicationDescription", kAppName);
  for (size_t row = 0; row < ArchiveFormats.size(); ++row) {
    const wchar_t* progId = row == kZipRow ? kProductZipProgId : kProductProgId;
    for (const std::wstring& extension : SplitExtensionList(ArchiveFormats[row].Extensions))
      SetRegString(HKEY_LOCAL_MACHINE, kFileAssociationsKey, extension.c_str(), progId);
  }
}

// The whole product key of HKEY_LOCAL_MACHINE goes, with the capabilities and
// whatever else other steps keep there.
void RemoveCapabilities() {
  if (GetWinVersion() >= kWinVersionVista) RemoveRegValue(HKEY_LOCAL_MACHINE, kRegisteredAppsKey, kAppName);
  RemoveRegTree(HKEY_LOCAL_MACHINE, L"");
}

}  // namespace

void RegisterShellIntegration(bool remove, const IntegrationOptions& options) {
  for (const ShellExtClass& shellExtClass : kShellExtClasses)
    RegisterShellExtensionClass(options, shellExtClass.Dll, shellExtClass.Clsid, shellExtClass.Name,
                                shellExtClass.Is32);
  if (remove)
    RemoveCapabilities();
  else if (GetWinVersion() >= kWinVersionVista)
    WriteCapabilities();
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void RegisterShellExtensionClass(const IntegrationOptions& options, const wchar_t* dll, const wchar_t* clsid,
                                 const wchar_t* name, bool is32) {
  const ClassTexts texts{clsid, name, GetModuleFolderFile(dll)};
  if (options.ShellExt)
    RegisterClass(options, texts, is32);
  else
    UnregisterClass(options, texts, is32);
}

void RunContextMenuPackage(bool install, bool extAll) {
  if (!IntegrationAllowed()) return;
  const std::wstring installer = GetModuleFolderFile(kPackageInstaller);
  if (!PathExists(GetModuleFolderFile(kPackageFile)) || !PathExists(installer)) return;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = install ? 0 : SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = installer.c_str();
  info.lpParameters = !install ? L"-Uninstall" : extAll ? L"-install -extall" : L"-install";
  info.nShow = SW_SHOWNORMAL;
  // Installing runs beside the rest of the apply step. Removal waits, but an
  // installer that hangs must not hold up the uninstall run for longer than that.
  if (ShellExecuteExW(&info) && !install) {
    const UniqueKernelHandle process(info.hProcess);
    if (process) WaitForSingleObject(process.get(), kInstallerWaitMs);
  }
  SetRegDword(L"Setup", L"NewContextMenu", install ? 1 : 0);
}
