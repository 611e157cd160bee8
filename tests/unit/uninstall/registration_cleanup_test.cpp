#include <gtest/gtest.h>
#include <windows.h>

#include "environment/unique_handle.h"
#include "startup/run_state.h"
#include "support/registry_sandbox.h"
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
    {HKEY_CLASSES_ROOT, L"Other", L"", true, true},
    {HKEY_CURRENT_USER, L"Software\\Other", L"", true, true}};

}  // namespace

class RegistrationCleanup : public RegistrySandbox {};

TEST_F(RegistrationCleanup, ProductKeysGoAndTheRecordStaysOnlyForMsi) {
  RemoveRegistrations();  // nothing to remove: returns normally
  for (bool msi : {false, true}) {
    for (const auto& k : kKeys)
      ASSERT_EQ(0, RegSetKeyValueW(k.root, (std::wstring(k.path) + k.below).c_str(), L"v", REG_SZ, L"x", 4));
    RunState.Msi = msi;
    RemoveRegistrations();
    for (const auto& k : kKeys) {
      UniqueHkey key;
      const bool found = RegOpenKeyExW(k.root, k.path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
      EXPECT_EQ(msi ? k.staysForMsi : k.stays, found) << k.path << (msi ? " (MSI)" : "");
    }
  }
  RunState.Msi = false;
}
