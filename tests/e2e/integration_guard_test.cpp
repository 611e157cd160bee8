// When the apply step holds back: the Windows 11 context menu, a settings file that
// forbids integration, and a machine that refuses machine-wide writes.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/registry_snapshot.h"
#include "support/registry_values.h"
#include "support/prefix_version.h"
#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

namespace {

constexpr DWORD kTimeout = 60000;
constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixGuard";
constexpr wchar_t kInstaller[] = L"ZpkExtInstaller.exe";
constexpr wchar_t kInstallerRecord[] = L"ZpkExtInstaller.exe.args";
constexpr wchar_t kSetupKey[] = L"Software\\Bramix\\Setup";
// Classic context-menu handler keys, one of each kind the classic registration writes.
const wchar_t* const kClassicMenuKeys[] = {
    L"*\\shellex\\ContextMenuHandlers\\Bramix",
    L"lnkfile\\shellex\\ContextMenuHandlers\\Bramix32",
    L"Bramix.ZIP\\shellex\\ContextMenuHandlers\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}",
};

// The entries of a folder matching the pattern, and with `recurse` those of its
// subfolders too, one full path each.
void List(const std::wstring& folder, const wchar_t* pattern, bool recurse, std::set<std::wstring>& listing) {
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
  if (!find) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    listing.insert(folder + L"\\" + name);
    if (recurse && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      List(folder + L"\\" + name, pattern, true, listing);
  } while (FindNextFileW(find.get(), &found));
}

// Where shortcuts go: the shortcuts on both desktops (Wine's user desktop is the
// home folder, whose other content changes by itself) and all of both Start menus.
std::set<std::wstring> ShellFolderListing() {
  std::set<std::wstring> listing;
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
    List(ShellFolder(csidl), L"*.lnk", false, listing);
  for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) List(ShellFolder(csidl), L"*", true, listing);
  return listing;
}

class IntegrationGuard : public testing::Test {
 protected:
  // An installation with the files the integration points to, the Windows 11
  // package beside its stand-in installer, and the given applier.
  static void Stage(const StagedInstallation& install, const wchar_t* applier) {
    for (const wchar_t* name : {L"Bramix.exe", L"Bramix.chm", L"zpkext.dll", L"zpkext32.dll", L"ZpkExtPackage.msix"})
      install.WriteFile(name, "x");
    install.WriteList({L"Bramix.exe", L"Bramix.chm", L"zpkext.dll", L"zpkext32.dll", L"zpknew.dat", L"zipnew.dat"});
    CopyFileW((TestBinFolder() + L"\\args_recorder.exe").c_str(), install.Path(kInstaller).c_str(), FALSE);
    CopyFileW((TestBinFolder() + L"\\" + applier).c_str(), install.Path(applier).c_str(), FALSE);
  }

  static DWORD Run(const std::wstring& exe, const std::wstring& args, const std::wstring& folder) {
    ChildProcess program;
    EXPECT_TRUE(program.Start(exe, args, folder));
    EXPECT_TRUE(program.Wait(kTimeout));
    return program.ExitCode();
  }

  // The registry and the shell folders, to compare with a later look.
  struct MachineState {
    RegistryLines Registry = RegistrySnapshot();
    std::set<std::wstring> ShellFolders = ShellFolderListing();
  };
  static void ExpectUnchanged(const MachineState& before) {
    const MachineState after;
    for (const std::wstring& line : Minus(after.Registry, before.Registry))
      ADD_FAILURE() << "added: " << testing::PrintToString(line);
    for (const std::wstring& line : Minus(before.Registry, after.Registry))
      ADD_FAILURE() << "lost: " << testing::PrintToString(line);
    for (const std::wstring& path : Minus(after.ShellFolders, before.ShellFolders))
      ADD_FAILURE() << "added: " << testing::PrintToString(path);
    for (const std::wstring& path : Minus(before.ShellFolders, after.ShellFolders))
      ADD_FAILURE() << "lost: " << testing::PrintToString(path);
  }

  // Wine mirrors every saved shortcut into the desktop's menus unless its menu builder is off.
  const ScopedRegistryValue menuBuilder_{HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"winemenubuilder.exe"};
  void SetUp() override { menuBuilder_.SetText(L""); }
};

}  // namespace

TEST_F(IntegrationGuard, Windows11RunsThePackageInstallerInsteadOfTheClassicMenu) {
  struct Row {
    const char* name;
    bool wmiReachable;
    const wchar_t* applierArgs;
    std::optional<DWORD> newContextMenu;
    const char* installRecord;  // what the installer recorded once the apply is over
    const char* removalRecord;  // and once Uninstall.exe /s has ended
  };
  const Row rows[] = {
      {"build 22631, WMI unreachable, ExtAll on", false, L"nolegacy", 1, "-install -extall\n",
       "-install -extall\n-Uninstall\n"},
      {"build 22631, WMI naming a Windows 10", true, L"nolegacy", std::nullopt, "<missing>", "<missing>"},
  };
  const ScopedPrefixVersion build(10, 0, L"22631");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::optional<ScopedWithoutWmi> withoutWmi;
    if (!row.wmiReachable) withoutWmi.emplace(std::vector<std::wstring>{L"integration_applier.exe", L"Uninstall.exe"});
    const StagedInstallation install(kFolder);
    Stage(install, L"integration_applier.exe");
    const std::wstring record = install.Path(kInstallerRecord);

    EXPECT_EQ(0u, Run(install.Path(L"integration_applier.exe"), row.applierArgs, kFolder));
    EXPECT_EQ("<missing>", ReadFileBytes(record)) << "the applier waited for the installer";
    EXPECT_TRUE(WaitForProcessesToEnd(kInstaller, kTimeout));
    EXPECT_EQ(row.installRecord, ReadFileBytes(record));
    EXPECT_EQ(row.newContextMenu, StoredDword(HKEY_CURRENT_USER, kSetupKey, L"NewContextMenu"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Bramix\\shellex\\DropHandler"));
    for (const wchar_t* key : kClassicMenuKeys) EXPECT_EQ(row.wmiReachable, KeyExists(HKEY_CLASSES_ROOT, key)) << key;

    EXPECT_EQ(0u, Run(install.Exe(), L"/s", kFolder));
    EXPECT_EQ(row.removalRecord, ReadFileBytes(record)) << "Uninstall.exe did not wait for the installer";
    EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kTimeout));
    EXPECT_TRUE(WaitForProcessesToEnd(kInstaller, kTimeout));
  }
}

TEST_F(IntegrationGuard, SettingsFileWithIntegrationOffKeepsTheMachineAsItWas) {
  const ScopedPrefixVersion build(10, 0, L"22631");
  const ScopedWithoutWmi withoutWmi({L"integration_applier.exe"});
  const StagedInstallation install(kFolder);
  Stage(install, L"integration_applier.exe");
  install.WriteFile(L"Bramix.ini", "Global\\Integration=0\r\n");
  const MachineState before;

  EXPECT_EQ(0u, Run(install.Path(L"integration_applier.exe"), L"", kFolder));
  EXPECT_TRUE(WaitForProcessesToEnd(kInstaller, kTimeout));
  ExpectUnchanged(before);
  EXPECT_FALSE(install.Exists(kInstallerRecord));
  const std::string file = ReadFileBytes(install.Path(L"Bramix.ini"));
  for (const wchar_t* line :
       {L"HKCU\\Setup\\.zpk\\Set=1", L"HKCU\\Setup\\.001\\Set=1", L"HKCU\\Setup\\Links\\Desktop=1",
        L"HKCU\\Setup\\ShellExt=1", L"HKCU\\Setup\\LegacyMenu=1"})
    EXPECT_NE(std::string::npos, file.find(Utf16Bytes(std::wstring(L"\n") + line + L"\r\n")))
        << testing::PrintToString(line);
}

TEST_F(IntegrationGuard, RefusedFirstMachineWriteStopsTheApplyBeforeAnyRegistration) {
  const StagedInstallation install(kFolder);
  Stage(install, L"hklm_denied_applier.exe");
  const MachineState before;

  EXPECT_EQ(1u, Run(install.Path(L"hklm_denied_applier.exe"), L"", kFolder));
  ExpectUnchanged(before);
}
