#include <gtest/gtest.h>
#include <windows.h>

#include "environment/temp_folder.h"
#include "support/registry_sandbox.h"

namespace {

class TempFolder : public RegistrySandbox {
 protected:
  void SetTempFolderSetting(const wchar_t* text) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExW(key, L"TempFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
};

}  // namespace

TEST_F(TempFolder, SystemFolderEndsWithBackslash) {
  wchar_t expected[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, expected);
  EXPECT_EQ(std::wstring(expected), GetSystemTempFolder());
  EXPECT_EQ(L'\\', GetSystemTempFolder().back());
}

TEST_F(TempFolder, ConfiguredFolderIsExpandedAndMustExist) {
  const std::wstring work = GetSystemTempFolder() + L"BramixWork";
  CreateDirectoryW(work.c_str(), nullptr);
  std::wstring out;
  SetTempFolderSetting(L"%TEMP%\\BramixWork");
  GetConfiguredTempFolder(out);
  EXPECT_EQ(0, _wcsicmp((work + L"\\").c_str(), out.c_str())) << out;

  SetTempFolderSetting(L"%TEMP%\\BramixNoSuchFolder");
  GetConfiguredTempFolder(out);
  EXPECT_EQ(GetSystemTempFolder(), out);
  RemoveDirectoryW(work.c_str());
}
