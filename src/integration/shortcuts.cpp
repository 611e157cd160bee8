#include "integration/shortcuts.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "environment/com_owners.h"
#include "environment/paths.h"
#include "environment/win_version.h"
#include "files/file_system.h"
#include "localization/strings.h"
#include "settings/settings_store.h"

namespace {

constexpr wchar_t kLinkFile[] = L"Bramix.lnk";
constexpr wchar_t kGroupFolder[] = L"Bramix";
constexpr wchar_t kLinkExtension[] = L".lnk";

// One shortcut of the program group: a fixed text or a string id for its name and
// for the name of its target in the program's folder.
struct GroupItem {
  const wchar_t* Name;
  UINT NameId;
  const wchar_t* Target;
  UINT TargetId;
  bool ThemeIcon;
};

constexpr GroupItem kGroupItems[] = {
    {L"Bramix", 0, kProgramFileName, 0, true},
    {nullptr, IDS_BRAMIXHELP, L"Bramix.chm", 0, false},
    {nullptr, IDS_ZPKHELP, L"Zpk.txt", 0, false},
    {nullptr, IDS_WHATSNEW, nullptr, IDS_WHATSNEWNAME, false},
};

std::wstring TextOf(const wchar_t* text, UINT id) { return text ? std::wstring(text) : GetLocalizedString(id); }

struct ShellFolder {
  bool Ok;
  std::wstring Path;
};

// A special folder; the relative name "unknown_folder" when it cannot be found,
// so that shortcut operations on it fail harmlessly.
ShellFolder GetShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {false, L"unknown_folder"};
  return {true, path};
}

std::wstring InFolder(std::wstring folder, const std::wstring& name) {
  AddEndSlash(folder);
  return folder + name;
}

// What every shortcut of the product shares.
struct ShortcutSet {
  std::wstring Program;      // Bramix.exe beside this program
  std::wstring WorkFolder;   // the user's desktop
  std::wstring Description;
  std::wstring Icon;
};

void UpdateDesktop(const IntegrationOptions& options, const ShortcutSet& set, const ShellFolder& userDesktop) {
  const std::wstring userLink = userDesktop.Ok ? MakeName(userDesktop.Path, kLinkFile) : L"";
  const std::wstring commonLink = MakeName(GetShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY).Path, kLinkFile);
  // A shortcut the user already has on the own desktop is the one kept up to date;
  // otherwise the shortcut belongs to every user's desktop.
  const std::wstring& link = !userLink.empty() && PathExists(userLink) ? userLink : commonLink;
  if (options.Desktop)
    CreateShortcut(set.Program, link, L"", set.Description, set.Icon, L"");
  else
    RemoveFile(link);
}

void UpdateStartMenu(const IntegrationOptions& options, const ShortcutSet& set) {
  const int csidl = GetWinVersion() >= kWinVersionVista ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU;
  const std::wstring link = InFolder(GetShellFolder(csidl).Path, kLinkFile);
  if (options.StartMenu)
    CreateShortcut(set.Program, link, set.WorkFolder, set.Description, set.Icon, L"");
  else
    RemoveFile(link);
}

// Deletes the files of a group folder; folders inside stay.
void ClearGroup(const std::wstring& group) {
  FileFinder finder;
  finder.SetMask(MakeName(group, L"*"));
  FoundFile found;
  while (finder.Next(found))
    if (!found.IsDir) RemoveFile(found.Name);
}

// The group is rebuilt from scratch: only the items whose targets exist are in it
// afterwards.
void UpdateGroup(const IntegrationOptions& options, const ShortcutSet& set, const std::wstring& group) {
  if (!options.Programs) {
    RemoveFolderTree(group);
    return;
  }
  const DWORD attributes = GetPathAttributes(group);
  if (attributes != INVALID_FILE_ATTRIBUTES && !IsLinkAttr(attributes)) ClearGroup(group);
  MakeFolder(group);
  for (const GroupItem& item : kGroupItems) {
    const std::wstring target = SetName(set.Program, TextOf(item.Target, item.TargetId));
    if (!PathExists(target)) continue;
    const std::wstring link = MakeName(group, TextOf(item.Name, item.NameId) + kLinkExtension);
    CreateShortcut(target, link, set.WorkFolder, set.Description, item.ThemeIcon ? set.Icon : L"", L"");
  }
}

}  // namespace

bool CreateShortcut(const std::wstring& target, const std::wstring& link, const std::wstring& workingFolder,
                    const std::wstring& description, const std::wstring& iconFile, const std::wstring& arguments) {
  ComPtr<IShellLinkW> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(shellLink.GetAddressOf()))))
    return false;
  ComPtr<IPersistFile> file;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf())))) return false;
  // An existing shortcut is loaded first so that what is not set below survives;
  // there is none the first time, and that failure is expected.
  file->Load(link.c_str(), STGM_READWRITE);
  shellLink->SetPath(target.c_str());
  if (!description.empty()) shellLink->SetDescription(description.c_str());
  shellLink->SetIconLocation(iconFile.c_str(), 0);
  if (!arguments.empty()) shellLink->SetArguments(arguments.c_str());
  if (!workingFolder.empty()) shellLink->SetWorkingDirectory(workingFolder.c_str());
  return SUCCEEDED(file->Save(link.c_str(), TRUE));
}

void UpdateShortcuts(const IntegrationOptions& options, const std::wstring& iconFile) {
  if (!IntegrationAllowed()) return;
  const ShellFolder userDesktop = GetShellFolder(CSIDL_DESKTOPDIRECTORY);
  // Before Windows Vista nothing can be placed without the user's desktop folder.
  if (!userDesktop.Ok && GetWinVersion() < kWinVersionVista) return;
  const ShortcutSet set{GetModuleFolderFile(kProgramFileName), userDesktop.Path, GetLocalizedString(IDS_BRAMIXDESC),
                        iconFile};
  UpdateDesktop(options, set, userDesktop);
  UpdateStartMenu(options, set);
  UpdateGroup(options, set, InFolder(GetShellFolder(CSIDL_PROGRAMS).Path, kGroupFolder));
  const ShellFolder commonPrograms = GetShellFolder(CSIDL_COMMON_PROGRAMS);
  if (commonPrograms.Ok) UpdateGroup(options, set, InFolder(commonPrograms.Path, kGroupFolder));
}
