#pragma once
// An installation staged for the integration scenarios: stand-in product files,
// the applier beside Uninstall.exe, and the reads that the checks share.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "environment/com_owners.h"
#include "environment/unique_handle.h"
#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

constexpr DWORD kIntegrationTimeout = 60000;

// A value as text: a string as it stands, a number as "dword:N", "<missing>" when
// the key or value is absent, "<type N>" for any other type.
inline std::wstring ReadRegistry(HKEY root, REGSAM view, const std::wstring& key, const wchar_t* name) {
  UniqueHkey opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, opened.put()) != ERROR_SUCCESS) return L"<missing>";
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(opened.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return L"<missing>";
  std::vector<BYTE> data(bytes + sizeof(wchar_t), 0);
  if (RegQueryValueExW(opened.get(), name, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS) return L"<missing>";
  if (type == REG_SZ) return reinterpret_cast<const wchar_t*>(data.data());
  if (type == REG_DWORD) return L"dword:" + std::to_wstring(*reinterpret_cast<const DWORD*>(data.data()));
  return L"<type " + std::to_wstring(type) + L">";
}

inline std::wstring ReadRegistry(HKEY root, const std::wstring& key, const wchar_t* name) {
  return ReadRegistry(root, KEY_WOW64_64KEY, key, name);
}

inline bool RegistryKeyExists(HKEY root, const std::wstring& key) {
  UniqueHkey opened;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

inline std::wstring ShellFolderPath(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

inline bool PathFound(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct LinkProperties {
  std::wstring Target;
  std::wstring Description;
  std::wstring WorkFolder;
  std::wstring Icon;
};

// The properties of a shortcut file as the shell link object reads them back.
inline bool ReadShortcut(const std::wstring& path, LinkProperties& out) {
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.GetAddressOf()))))
    return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf())))) return false;
  if (FAILED(file->Load(path.c_str(), STGM_READ))) return false;
  wchar_t text[MAX_PATH * 2] = {};
  int icon = 0;
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  out.Target = text;
  text[0] = 0;
  link->GetDescription(text, MAX_PATH);
  out.Description = text;
  text[0] = 0;
  link->GetWorkingDirectory(text, MAX_PATH);
  out.WorkFolder = text;
  text[0] = 0;
  link->GetIconLocation(text, MAX_PATH, &icon);
  out.Icon = text;
  return true;
}

inline std::wstring ReplaceAll(std::wstring text, const std::wstring& token, const std::wstring& by) {
  for (size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at + by.size()))
    text.replace(at, token.size(), by);
  return text;
}

// Puts the installation folder in for every "<folder>" of a text.
inline std::wstring WithFolder(const std::wstring& text, const std::wstring& folder) {
  return ReplaceAll(text, L"<folder>", folder);
}

// The staged folder holds the given stand-in files (one byte each), the applier and
// Uninstall.exe, and an installation list naming all of them and the templates, so
// that Uninstall.exe /s leaves nothing of it.
class IntegrationStage {
 public:
  IntegrationStage(const std::wstring& folder, const std::vector<std::wstring>& files) : install_(folder) {
    std::vector<std::wstring> list = files;
    for (const std::wstring& file : files) install_.WriteFile(file, "x");
    for (const wchar_t* name :
         {L"zpknew.dat", L"zipnew.dat", L"integration_applier.exe", L"Uninstall.exe", L"Uninstall.lst"})
      list.push_back(name);
    install_.WriteList(list);
    CopyFileW((TestBinFolder() + L"\\integration_applier.exe").c_str(), install_.Path(L"integration_applier.exe").c_str(),
              FALSE);
    // Wine mirrors every saved shortcut into the desktop's menus unless its menu builder is off.
    menuBuilder_.SetText(L"");
  }

  const std::wstring& Folder() const { return install_.Folder(); }
  std::wstring Path(const std::wstring& relative) const { return install_.Path(relative); }

  // Applies an all-on record, or with "off" an all-off one; the applier's exit code.
  DWORD Apply(const std::wstring& args = L"") { return Run(install_.Path(L"integration_applier.exe"), args); }
  // Runs Uninstall.exe /s and waits for its removal script; the exit code.
  DWORD Uninstall() { return Run(install_.Exe(), L"/s"); }

 private:
  DWORD Run(const std::wstring& exe, const std::wstring& args) {
    ChildProcess program;
    if (!program.Start(exe, args, install_.Folder())) return STILL_ACTIVE;
    const bool ended = program.Wait(kIntegrationTimeout);
    WaitForProcessesToEnd(L"cmd.exe", kIntegrationTimeout);
    return ended ? program.ExitCode() : STILL_ACTIVE;
  }

  const ScopedRegistryValue menuBuilder_{HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"winemenubuilder.exe"};
  StagedInstallation install_;
};
