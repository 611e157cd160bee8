// The settings file on disk: read at the first registry request, written back
// when the process ends, by a probe program and by the real Uninstall.exe.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "environment/unique_handle.h"
#include "support/wine_program.h"
#include "unit/settings/settings_test_files.h"

namespace {

const wchar_t kStage[] = L"C:\\UninstallTests\\SettingsFile";

bool KeyExists(HKEY root, const wchar_t* path) {
  UniqueHkey key;
  return RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A staged folder holding the probe program; runs it with requests and returns
// what it read.
class Probe {
 public:
  explicit Probe(StagedInstallation& stage) : stage_(stage) {
    CopyFileW((TestBinFolder() + L"\\settings_probe.exe").c_str(), stage_.Path(L"settings_probe.exe").c_str(),
              FALSE);
  }
  std::wstring Run(const std::wstring& requests) {
    DeleteFileW(stage_.Path(L"settings_probe.out").c_str());
    ChildProcess probe;
    EXPECT_TRUE(probe.Start(stage_.Path(L"settings_probe.exe"), requests));
    EXPECT_TRUE(probe.Wait(20000));
    EXPECT_EQ(0u, probe.ExitCode());
    std::string bytes = ReadBytes(stage_.Path(L"settings_probe.out"));
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  }

 private:
  StagedInstallation& stage_;
};

std::wstring RoamingFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
  return std::wstring(path) + L"\\Bramix";
}

}  // namespace

TEST(SettingsFile, ChangesReachTheFileWhenTheProcessEnds) {
  StagedInstallation stage(kStage);
  Probe probe(stage);
  stage.WriteFile(L"Bramix.ini", "[Bramix]\r\nHKCU\\Setup\\Kept=\"old\"\r\nHKCU\\Setup\\Gone=1\r\n");

  EXPECT_EQ(L"1:old\r\n", probe.Run(L"get HKCU Setup Kept d  set HKCU Setup New \"new text\"  "
                                    L"dword HKCU Setup\\Links Desktop 1  remove HKCU Setup Gone"));
  EXPECT_EQ(
      Utf16File(
          L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n"
          L"HKCU\\Setup\\Kept=\"old\"\r\nHKCU\\Setup\\Links\\Desktop=1\r\nHKCU\\Setup\\New=\"new text\"\r\n"),
      ReadBytes(stage.Path(L"Bramix.ini")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup\\Links"));

  // With a file in use, a value missing from it is "found" with the default.
  EXPECT_EQ(L"1:new text\r\n1\r\n1:d\r\n",
            probe.Run(L"get HKCU Setup New d  getdword Setup\\Links Desktop 0  get HKCU Setup Gone d"));
}

TEST(SettingsFile, SaveSettingsOffLeavesTheFileUnchanged) {
  StagedInstallation stage(kStage);
  Probe probe(stage);
  const std::string original =
      "; settings\nGlobal\\SaveSettings=0\nGlobal\\Integration=0\nHKCU\\Setup\\A=1\n";
  stage.WriteFile(L"Bramix.ini", original);

  EXPECT_EQ(L"2\r\n", probe.Run(L"dword HKCU Setup A 2  set HKCU Setup B x  getdword Setup A 0  "
                                L"set HKCR .settingsprobe \"\" x  save"));
  EXPECT_EQ(original, ReadBytes(stage.Path(L"Bramix.ini")));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".settingsprobe"));
}

TEST(SettingsFile, TheRoamingFileServesOnlyWhenNoneLiesBesideTheProgram) {
  const std::wstring roaming = RoamingFolder();
  const bool madeFolder = CreateDirectoryW(roaming.c_str(), nullptr) != 0;
  const std::wstring roamingFile = roaming + L"\\Bramix.ini";
  const std::string before = ReadBytes(roamingFile);
  WriteBytes(roamingFile, "HKCU\\Setup\\Where=\"roaming\"\r\n");
  {
    StagedInstallation stage(kStage);
    Probe probe(stage);
    EXPECT_EQ(L"1:roaming\r\n", probe.Run(L"get HKCU Setup Where d  set HKCU Setup Seen yes"));
    const std::string rewritten = ReadBytes(roamingFile);
    EXPECT_EQ(Utf16File(L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n"
                        L"HKCU\\Setup\\Seen=\"yes\"\r\nHKCU\\Setup\\Where=\"roaming\"\r\n"),
              rewritten);
    EXPECT_FALSE(stage.Exists(L"Bramix.ini"));

    stage.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Where=\"beside\"\r\n");
    EXPECT_EQ(L"1:beside\r\n", probe.Run(L"get HKCU Setup Where d  set HKCU Setup Seen again"));
    EXPECT_EQ(rewritten, ReadBytes(roamingFile));
  }
  if (before != "<missing>")
    WriteBytes(roamingFile, before);
  else
    DeleteFileW(roamingFile.c_str());
  if (madeFolder) RemoveDirectoryW(roaming.c_str());
}

TEST(SettingsFile, WithoutAFileTheRegistryIsUsedAndNoFileIsMade) {
  StagedInstallation stage(kStage);
  Probe probe(stage);
  const bool hadProductKey = KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix");
  EXPECT_EQ(L"1:x\r\n", probe.Run(L"set HKCU SettingsProbeTest V x  get HKCU SettingsProbeTest V d"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\SettingsProbeTest"));
  EXPECT_FALSE(stage.Exists(L"Bramix.ini"));
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix\\SettingsProbeTest");
  if (!hadProductKey) RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Bramix");
}

TEST(SettingsFile, UninstallWritesTheFileBackAtExit) {
  // A silent uninstall without integration: the current user's product key goes
  // from the file, other entries stay, and the file outlives the removal script.
  StagedInstallation stage(kStage);
  stage.WriteList({});
  stage.WriteFile(L"Bramix.ini",
                  "Global\\Integration=0\r\nHKCU\\Setup\\Links\\Desktop=1\r\nHKCU\\Setup\\.zpk\\Set=1\r\n"
                  "HKLM\\Setup\\Kept=1\r\nNotes\\Kept=\"yes\"\r\n");
  ChildProcess program;
  ASSERT_TRUE(program.Start(stage.Exe(), L"/s"));
  ASSERT_TRUE(program.Wait(30000));
  EXPECT_EQ(0u, program.ExitCode());
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", 60000));
  EXPECT_EQ(Utf16File(L"Global\\AppData=1\r\nGlobal\\Integration=0\r\nGlobal\\SaveSettings=1\r\n"
                      L"HKLM\\Setup\\Kept=1\r\nNotes\\Kept=\"yes\"\r\n"),
            ReadBytes(stage.Path(L"Bramix.ini")));
}
