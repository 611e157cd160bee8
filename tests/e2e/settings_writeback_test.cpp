// The settings file beside the program at the end of an uninstall run: written back unless the run deleted it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

namespace {

constexpr DWORD kTimeout = 60000;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ReadUtf16(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::wstring text(4096, L'\0');
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr))
    return L"<unreadable>";
  text.resize(read / sizeof(wchar_t));
  return text;
}

DWORD RunSilently(const StagedInstallation& install) {
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), L"/s"));
  EXPECT_TRUE(program.Wait(kTimeout));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kTimeout));
  return program.ExitCode();
}

}  // namespace

TEST(SettingsWriteBack, ListedSettingsFileIsNotWrittenBackAndTheFolderGoes) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Settings WriteBack");
  install.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Kept=\"old\"\r\n");
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe", L"Bramix.ini", L"Uninstall.exe", L"Uninstall.lst"});
  EXPECT_EQ(0u, RunSilently(install));
  EXPECT_FALSE(install.Exists(L"Bramix.ini"));
  EXPECT_FALSE(Exists(install.Folder()));
}

// The run removes the product's settings, which the file serves in place of the registry; the file itself stays.
TEST(SettingsWriteBack, UnlistedSettingsFileIsWrittenBackWithoutTheProductSettings) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Settings Kept");
  install.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Kept=\"old\"\r\n");
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe", L"Uninstall.exe", L"Uninstall.lst"});
  EXPECT_EQ(0u, RunSilently(install));
  EXPECT_EQ(L"\xFEFFGlobal\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n",
            ReadUtf16(install.Path(L"Bramix.ini")));
}
