#pragma once
// The fixture for tests that need only a registry of their own: HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT of this process are redirected into empty
// scratch keys under HKCU\Software\UninstallTests\<test name>, deleted at the end.
// Keys must be opened after the redirection: handles opened before it are not redirected.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "environment/unique_handle.h"
#include "support/test_names.h"

class RegistrySandbox : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    // The current user's key goes last: the other scratch keys live under it.
    for (const auto& [predefined, name] : kScratchKeys) {
      UniqueHkey scratch;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + name).c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, scratch.put(), nullptr));
      ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(predefined, scratch.get())) << "the registry was not redirected";
    }
  }
  void TearDown() override {
    for (const auto& [predefined, name] : kScratchKeys) RegOverridePredefKey(predefined, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
  }

 private:
  static inline const std::pair<HKEY, const wchar_t*> kScratchKeys[] = {
      {HKEY_LOCAL_MACHINE, L"\\HKLM"}, {HKEY_CLASSES_ROOT, L"\\HKCR"}, {HKEY_CURRENT_USER, L"\\HKCU"}};
  const std::wstring root_ = L"Software\\UninstallTests\\" + CurrentTestName();
};
