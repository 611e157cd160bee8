#include <gtest/gtest.h>
#include <windows.h>

#include "environment/temp_folder.h"
#include "settings/configured_temp_folder.h"
#include "environment/unique_handle.h"
#include "support/import_patch.h"
#include "support/registry_sandbox.h"
#include "support/scoped_state.h"
#include "uninstall/registration_cleanup.h"

namespace {

const struct {
  HKEY root;
  const wchar_t* path;
  const wchar_t* below;  // a subkey where setup makes one: the whole tree has to go
  bool stays, staysForMsi;
} kKeys[] = {
    {HKEY_CLASSES_ROOT, L"Bramix", L"\\shell\\open\\command", false, false},
    {HKEY_CLASSES_ROOT, L"Bramix.ZIP", L"\\DefaultIcon", false, false},
    {HKEY_CLASSES_ROOT, L"Bramix.REV", L"", false, false},
    {HKEY_CLASSES_ROOT, L".rev", L"", false, false},
    {HKEY_CURRENT_USER, L"Software\\Bramix", L"\\Paths", false, false},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver", L"", false, true},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe", L"", false, true},
    {HKEY_CLASSES_ROOT, L".zip", L"", true, true},
    {HKEY_CURRENT_USER, L"Software\\Other", L"", true, true}};

}  // namespace

class Registry : public RegistrySandbox {};

TEST_F(Registry, ProductKeysGoAndTheRecordStaysOnlyForMsi) {
  const ScopedRunState runState;
  RemoveRegistrations();  // nothing to remove: returns normally
  for (bool msi : {false, true}) {
    for (const auto& k : kKeys)
      ASSERT_EQ(0, RegSetKeyValueW(k.root, (std::wstring(k.path) + k.below).c_str(), L"v", REG_SZ, L"x", 4));
    WritableRunState().Msi = msi;
    RemoveRegistrations();
    for (const auto& k : kKeys) {
      UniqueHkey key;
      const bool found = RegOpenKeyExW(k.root, k.path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
      EXPECT_EQ(msi ? k.staysForMsi : k.stays, found) << k.path << (msi ? " (MSI)" : "");
    }
  }
}

TEST_F(Registry, ConfiguredTempFolderWhenItExistsElseTheSystemOne) {
  const std::wstring work = GetSystemTempFolder() + L"BramixWork", setting = L"%TEMP%\\BramixWork";
  ASSERT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"TempFolder", REG_SZ, setting.c_str(),
                               static_cast<DWORD>((setting.size() + 1) * sizeof(wchar_t))));
  std::wstring out;
  ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
  GetConfiguredTempFolder(out);
  EXPECT_EQ(0, _wcsicmp((work + L"\\").c_str(), out.c_str())) << out;
  RemoveDirectoryW(work.c_str());
  GetConfiguredTempFolder(out);
  EXPECT_EQ(GetSystemTempFolder(), out);
  ScopedImportPatch patch("GetTempPathW", reinterpret_cast<void*>(+[](DWORD, LPWSTR) -> DWORD { return 0; }));
  ASSERT_TRUE(patch.Patched());
  EXPECT_EQ(L"\\zpktemp\\", GetSystemTempFolder());
}
