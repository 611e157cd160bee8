#include <gtest/gtest.h>
#include <windows.h>

#include "startup/run_state.h"
#include "support/registry_sandbox.h"
#include "uninstall/registration_cleanup.h"

namespace {

const wchar_t kUninstallEntry[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";
const wchar_t kAppPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe";

void MakeKey(HKEY root, const wchar_t* path) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExW(key, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
  RegCloseKey(key);
}

bool KeyExists(HKEY root, const wchar_t* path) {
  HKEY key;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class RegistrationCleanup : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    for (const wchar_t* path : {L"Bramix\\shell\\open\\command", L"Bramix.ZIP\\DefaultIcon", L"Bramix.REV", L".rev",
                                L".zip", L"Other"})
      MakeKey(HKEY_CLASSES_ROOT, path);
    MakeKey(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths");
    MakeKey(HKEY_CURRENT_USER, L"Software\\Other");
    MakeKey(HKEY_LOCAL_MACHINE, kUninstallEntry);
    MakeKey(HKEY_LOCAL_MACHINE, kAppPath);
  }
  void TearDown() override {
    RunState.Msi = false;
    RegistrySandbox::TearDown();
  }
  void ExpectProductDataGone() {
    for (const wchar_t* path : {L"Bramix", L"Bramix.ZIP", L"Bramix.REV", L".rev"})
      EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, path)) << path;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L".zip"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Other"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Other"));
  }
};

}  // namespace

TEST_F(RegistrationCleanup, RemovesTheProductKeysAndTheInstallationRecord) {
  RemoveRegistrations();
  ExpectProductDataGone();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
  // A machine where nothing is left: the call still returns normally.
  RemoveRegistrations();
}

TEST_F(RegistrationCleanup, AnMsiInstallationKeepsItsRecord) {
  RunState.Msi = true;
  RemoveRegistrations();
  ExpectProductDataGone();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
}
