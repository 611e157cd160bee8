#include "settings/configured_temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "environment/temp_folder.h"
#include "support/registry_sandbox.h"

class ConfiguredTempFolder : public RegistrySandbox {
 protected:
  void SetTempFolderSetting(const std::wstring& setting) {
    ASSERT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"TempFolder", REG_SZ, setting.c_str(),
                                 static_cast<DWORD>((setting.size() + 1) * sizeof(wchar_t))));
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
