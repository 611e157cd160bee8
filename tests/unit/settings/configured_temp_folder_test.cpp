#include "settings/configured_temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "environment/temp_folder.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"

class ConfiguredTempFolder : public RegistrySandbox {
 protected:
  void SetTempFolderSetting(const std::wstring& setting) {
    ASSERT_TRUE(PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"TempFolder", setting));
  }
};

TEST_F(ConfiguredTempFolder, ExistingSettingIsUsedExpanded) {
  const std::wstring work = GetSystemTempFolder() + L"BramixWork";
  SetTempFolderSetting(L"%TEMP%\\BramixWork");
  ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
  std::wstring out;
  GetConfiguredTempFolder(out);
  RemoveDirectoryW(work.c_str());
  EXPECT_EQ(0, _wcsicmp((work + L"\\").c_str(), out.c_str())) << out;
}

TEST_F(ConfiguredTempFolder, MissingFolderGivesTheSystemOne) {
  SetTempFolderSetting(L"%TEMP%\\BramixNowhere");
  std::wstring out;
  GetConfiguredTempFolder(out);
  EXPECT_EQ(GetSystemTempFolder(), out);
}
