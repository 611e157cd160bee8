#include <gtest/gtest.h>
#include <windows.h>

#include "environment/temp_folder.h"
#include "support/import_patch.h"
#include "support/registry_sandbox.h"

class TempFolder : public RegistrySandbox {};

TEST_F(TempFolder, ConfiguredFolderWhenItExistsElseTheSystemOne) {
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
