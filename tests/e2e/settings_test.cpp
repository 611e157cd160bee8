#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/temp_folder.h"
#include "support/wine_program.h"

namespace {
std::string Utf16(const std::wstring& text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
class SettingsFile : public TempFolderTest {
 protected:
  std::wstring Probe(const std::wstring& requests) {
    CopyFileW((TestBinFolder() + L"\\settings_probe.exe").c_str(), stage_.Path(L"settings_probe.exe").c_str(), 0);
    ChildProcess probe;
    EXPECT_TRUE(probe.Start(stage_.Path(L"settings_probe.exe"), requests) && probe.Wait(20000) && !probe.ExitCode());
    const std::string out = ReadBytes(stage_.Path(L"settings_probe.out"));
    return std::wstring(reinterpret_cast<const wchar_t*>(out.data()), out.size() / sizeof(wchar_t));
  }
  StagedInstallation stage_{L"C:\\UninstallTests\\SettingsFile"};
  const std::wstring ini_ = stage_.Path(L"Bramix.ini");
};
}  // namespace

TEST_F(SettingsFile, TheFileBesideTheProgramOrElseTheRoamingOneIsReadAndWrittenBack) {
  stage_.WriteFile(L"Bramix.ini", "[Bramix]\r\nHKCU\\Setup\\Kept=\"old\"\r\nHKCU\\Setup\\Links\\Desktop=1\r\n");
  EXPECT_EQ(L"1:old\r\n", Probe(L"get Setup Kept d  set Setup New \"new text\"  set Setup\\Links Desktop 0"));
  const std::wstring switches = L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n";
  EXPECT_EQ(Utf16(switches + L"HKCU\\Setup\\Kept=\"old\"\r\nHKCU\\Setup\\Links\\Desktop=\"0\"\r\n"
                             L"HKCU\\Setup\\New=\"new text\"\r\n"), ReadBytes(ini_));
  const std::string unsaved = "; kept\nGlobal\\SaveSettings=0\nHKCU\\Setup\\A=1\n";
  stage_.WriteFile(L"Bramix.ini", unsaved);
  EXPECT_EQ(L"1:2\r\n1:d\r\n", Probe(L"set Setup A 2  get Setup A 0  get Setup Missing d"));
  EXPECT_EQ(unsaved, ReadBytes(ini_));
  const std::wstring folder = _wgetenv(L"APPDATA") + std::wstring(L"\\Bramix"), roaming = folder + L"\\Bramix.ini";
  const std::string before = ReadBytes(roaming);
  CreateDirectoryW(folder.c_str(), nullptr);
  WriteBytes(roaming, "HKCU\\Setup\\Where=\"roaming\"\r\n");
  DeleteFileW(ini_.c_str());
  EXPECT_EQ(L"1:roaming\r\n", Probe(L"get Setup Where d  set Setup Seen yes"));
  EXPECT_EQ(Utf16(switches + L"HKCU\\Setup\\Seen=\"yes\"\r\nHKCU\\Setup\\Where=\"roaming\"\r\n"), ReadBytes(roaming));
  EXPECT_FALSE(stage_.Exists(L"Bramix.ini"));
  stage_.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Where=\"beside\"\r\n");
  EXPECT_EQ(L"1:beside\r\n", Probe(L"get Setup Where d"));
  before == "<missing>" ? (void)DeleteFileW(roaming.c_str()) : WriteBytes(roaming, before);
  RemoveDirectoryW(folder.c_str());
}
