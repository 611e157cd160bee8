// The settings file beside the program at the end of an uninstall run: written back unless the run deleted it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/file_bytes.h"
#include "support/wine_program.h"

TEST(SettingsWriteBack, ListedSettingsFileIsNotWrittenBackAndTheFolderGoes) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Settings WriteBack");
  install.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Kept=\"old\"\r\n");
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe", L"Bramix.ini", L"Uninstall.exe", L"Uninstall.lst"});
  EXPECT_EQ(0u, RunToTheEnd(install.Exe(), L"/s"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(install.Folder().c_str()));
}

// The run removes the product's settings, which the file serves in place of the registry; the file itself stays.
TEST(SettingsWriteBack, UnlistedSettingsFileIsWrittenBackWithoutTheProductSettings) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Settings Kept");
  install.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Kept=\"old\"\r\n");
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe", L"Uninstall.exe", L"Uninstall.lst"});
  EXPECT_EQ(0u, RunToTheEnd(install.Exe(), L"/s"));
  EXPECT_EQ(Utf16FileBytes(L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n"),
            ReadFileBytes(install.Path(L"Bramix.ini")));
}
