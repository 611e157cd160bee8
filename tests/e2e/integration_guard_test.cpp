// When the apply step holds back: the Windows 11 context menu, a settings file that
// forbids integration, and a machine that refuses machine-wide writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "e2e/staged_product.h"
#include "support/prefix_version.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixGuard";
constexpr wchar_t kInstaller[] = L"ZpkExtInstaller.exe";
constexpr wchar_t kInstallerRecord[] = L"ZpkExtInstaller.exe.args";
// Classic context-menu handler keys, one of each kind the classic registration writes.
const wchar_t* const kClassicMenuKeys[] = {
    L"*\\shellex\\ContextMenuHandlers\\Bramix",
    L"lnkfile\\shellex\\ContextMenuHandlers\\Bramix32",
    L"Bramix.ZIP\\shellex\\ContextMenuHandlers\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}",
};

// An installation with the files the integration points to and the Windows 11
// package beside its stand-in installer.
class IntegrationGuard : public testing::Test {
 protected:
  IntegrationGuard() { Stage(); }
  void TearDown() override {
    if (install_->Exists(L"Uninstall.exe")) install_->Uninstall();
    WaitForProcessesToEnd(kInstaller, kSetupTimeout);
  }

  // The registry and the shortcuts, to compare with a later look.
  struct MachineState {
    RegistryLines Registry = RegistrySnapshot();
    std::set<std::wstring> Shortcuts = ShortcutFiles();
  };
  static void ExpectUnchanged(const MachineState& before) {
    const MachineState after;
    ExpectSameLines(before.Registry, after.Registry);
    ExpectSameLines(before.Shortcuts, after.Shortcuts);
  }

  // Stages the installation afresh.
  void Stage() {
    install_.emplace(kFolder, std::vector<std::wstring>{L"Bramix.exe", L"Bramix.chm", L"zpkext.dll", L"zpkext32.dll",
                                                        L"ZpkExtPackage.msix"});
    install_->CopyHelper(L"args_recorder.exe", kInstaller);
  }

  std::optional<ProductStage> install_;
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
      {"build 22000, WMI unreachable, ExtAll on", false, L"nolegacy", 1, "-install -extall\n",
       "-install -extall\n-Uninstall\n"},
      {"build 22000, WMI naming a Windows 10", true, L"nolegacy", std::nullopt, "<missing>", "<missing>"},
  };
  const ScopedPrefixVersion build(10, 0, L"22000");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::optional<ScopedWithoutWmi> withoutWmi;
    if (!row.wmiReachable) withoutWmi.emplace(std::vector<std::wstring>{L"integration_applier.exe", L"Uninstall.exe"});
    Stage();
    const std::wstring record = install_->Path(kInstallerRecord);

    EXPECT_EQ(0u, install_->Apply(row.applierArgs));
    EXPECT_EQ("<missing>", ReadFileBytes(record)) << "the applier waited for the installer";
    EXPECT_TRUE(WaitForProcessesToEnd(kInstaller, kSetupTimeout));
    EXPECT_EQ(row.installRecord, ReadFileBytes(record));
    EXPECT_EQ(row.newContextMenu, StoredDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"NewContextMenu"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Bramix\\shellex\\DropHandler"));
    for (const wchar_t* key : kClassicMenuKeys) EXPECT_EQ(row.wmiReachable, KeyExists(HKEY_CLASSES_ROOT, key)) << key;

    EXPECT_EQ(0u, install_->Uninstall());
    EXPECT_EQ(row.removalRecord, ReadFileBytes(record)) << "Uninstall.exe did not wait for the installer";
    EXPECT_TRUE(WaitForProcessesToEnd(kInstaller, kSetupTimeout));
  }
}

TEST_F(IntegrationGuard, SettingsFileWithIntegrationOffKeepsTheMachineAsItWas) {
  const ScopedPrefixVersion build(10, 0, L"22000");
  const ScopedWithoutWmi withoutWmi({L"integration_applier.exe"});
  install_->WriteFile(L"Bramix.ini", "Global\\Integration=0\r\n");
  const MachineState before;

  EXPECT_EQ(0u, install_->Apply());
  EXPECT_TRUE(WaitForProcessesToEnd(kInstaller, kSetupTimeout));
  ExpectUnchanged(before);
  EXPECT_FALSE(install_->Exists(kInstallerRecord));
  const std::string file = ReadFileBytes(install_->Path(L"Bramix.ini"));
  for (const wchar_t* line :
       {L"HKCU\\Setup\\.zpk\\Set=1", L"HKCU\\Setup\\.001\\Set=1", L"HKCU\\Setup\\Links\\Desktop=1",
        L"HKCU\\Setup\\ShellExt=1", L"HKCU\\Setup\\LegacyMenu=1"})
    EXPECT_NE(std::string::npos, file.find(Utf16Bytes(std::wstring(L"\n") + line + L"\r\n")))
        << testing::PrintToString(line);
}

TEST_F(IntegrationGuard, RefusedFirstMachineWriteStopsTheApplyBeforeAnyRegistration) {
  install_->CopyHelper(L"hklm_denied_applier.exe", L"hklm_denied_applier.exe");
  const MachineState before;

  EXPECT_EQ(1u, install_->Run(L"", L"hklm_denied_applier.exe"));
  ExpectUnchanged(before);
}
