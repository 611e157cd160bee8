// The settings file Bramix.ini on disk: read at the first registry request and
// written back when the process ends, by a probe program of the registry layer and
// by the real Uninstall.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/file_bytes.h"
#include "support/wine_program.h"

namespace {

const std::wstring kSwitchesOn = L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n";

// A staged folder with the probe program beside its settings file.
class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileW((TestBinFolder() + L"\\settings_probe.exe").c_str(), probe_.c_str(), FALSE));
  }
  // Runs the probe with its requests; one "found:text" line per get.
  std::wstring Probe(const std::wstring& requests) {
    DeleteFileW(stage_.Path(L"settings_probe.out").c_str());
    ChildProcess probe;
    EXPECT_TRUE(probe.Start(probe_, requests));
    EXPECT_TRUE(probe.Wait(20000));
    EXPECT_EQ(0u, probe.ExitCode());
    const std::string out = ReadFileBytes(stage_.Path(L"settings_probe.out"));
    return std::wstring(reinterpret_cast<const wchar_t*>(out.data()), out.size() / sizeof(wchar_t));
  }
  StagedInstallation stage_{L"C:\\UninstallTests\\SettingsFile"};
  const std::wstring probe_ = stage_.Path(L"settings_probe.exe");
  const std::wstring ini_ = stage_.Path(L"Bramix.ini");
};

// The user's roaming settings file, as it was before the test, is put back afterwards.
class RoamingSettingsFile : public SettingsFile {
 protected:
  void SetUp() override {
    SettingsFile::SetUp();
    madeFolder_ = CreateDirectoryW(folder_.c_str(), nullptr) != FALSE;
    ASSERT_TRUE(WriteFileBytes(roaming_, "HKCU\\Setup\\Where=\"roaming\"\r\n"));
  }
  void TearDown() override {
    if (before_ == "<missing>")
      DeleteFileW(roaming_.c_str());
    else
      WriteFileBytes(roaming_, before_);
    if (madeFolder_) RemoveDirectoryW(folder_.c_str());
  }
  const std::wstring folder_ = _wgetenv(L"APPDATA") + std::wstring(L"\\Bramix");
  const std::wstring roaming_ = folder_ + L"\\Bramix.ini";
  const std::string before_ = ReadFileBytes(roaming_);
  bool madeFolder_ = false;
};

}  // namespace

TEST_F(SettingsFile, WithSaveSettingsOffChangesAreSeenButNotWritten) {
  const std::string unsaved = "; kept\nGlobal\\SaveSettings=0\nHKCU\\Setup\\A=1\n";
  stage_.WriteFile(L"Bramix.ini", unsaved);
  EXPECT_EQ(L"1:2\r\n", Probe(L"set Setup A 2  get Setup A 0"));
  EXPECT_EQ(unsaved, ReadFileBytes(ini_));
}

TEST_F(RoamingSettingsFile, IsWrittenBackInItsPlace) {
  Probe(L"set Setup Seen yes");
  EXPECT_EQ(Utf16FileBytes(kSwitchesOn + L"HKCU\\Setup\\Seen=\"yes\"\r\nHKCU\\Setup\\Where=\"roaming\"\r\n"),
            ReadFileBytes(roaming_));
  EXPECT_FALSE(stage_.Exists(L"Bramix.ini"));
}

TEST_F(RoamingSettingsFile, TheFileBesideTheProgramWins) {
  stage_.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Where=\"beside\"\r\n");
  EXPECT_EQ(L"1:beside\r\n", Probe(L"get Setup Where d"));
}

// Without integration a silent uninstall removes the current user's product key
// from the file only; the file outlives the removal script.
TEST_F(SettingsFile, UninstallWithoutIntegrationRemovesTheProductKeyFromTheFile) {
  stage_.WriteFile(L"Bramix.exe", "exe");
  stage_.WriteList({L"Bramix.exe"});
  stage_.WriteFile(L"Bramix.ini", "Global\\Integration=0\r\nHKCU\\Setup\\Links\\Desktop=1\r\nNotes\\Kept=\"yes\"\r\n");
  ChildProcess program;
  ASSERT_TRUE(program.Start(stage_.Exe(), L"/s"));
  EXPECT_TRUE(program.Wait(30000));
  EXPECT_EQ(0u, program.ExitCode());
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", 60000));
  EXPECT_EQ(Utf16FileBytes(L"Global\\AppData=1\r\nGlobal\\Integration=0\r\nGlobal\\SaveSettings=1\r\nNotes\\Kept=\"yes\"\r\n"),
            ReadFileBytes(ini_));
}
