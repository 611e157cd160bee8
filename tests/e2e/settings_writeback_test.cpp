// The settings file beside the program, when the installation list names it.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/wine_program.h"

namespace {

constexpr DWORD kTimeout = 60000;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(SettingsWriteBack, ListedSettingsFileIsNotWrittenBackAndTheFolderGoes) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Settings WriteBack");
  install.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Kept=\"old\"\r\n");
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe", L"Bramix.ini", L"Uninstall.exe", L"Uninstall.lst"});
  ChildProcess program;
  ASSERT_TRUE(program.Start(install.Exe(), L"/s"));
  EXPECT_TRUE(program.Wait(kTimeout));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kTimeout));
  EXPECT_FALSE(install.Exists(L"Bramix.ini"));
  EXPECT_FALSE(Exists(install.Folder()));
}
