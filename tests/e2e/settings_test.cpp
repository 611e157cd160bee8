// Where the real Uninstall.exe finds Bramix.ini, and when it writes it back after a
// silent run that removes the product's settings from it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/file_bytes.h"
#include "support/wine_program.h"

namespace {

const std::wstring kSwitchesOn = L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n";

// An installation of one listed program file; the settings file, unlisted, stays.
class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    stage_.WriteFile(L"Bramix.exe", "exe");
    stage_.WriteList({L"Bramix.exe", L"Uninstall.exe", L"Uninstall.lst"});
  }
  void RunSilently() { EXPECT_EQ(0u, RunToTheEnd(stage_.Exe(), L"/s")); }
  StagedInstallation stage_{L"C:\\UninstallTests\\SettingsFile"};
  const std::wstring ini_ = stage_.Path(L"Bramix.ini");
};

// The user's roaming settings file, as it was before the test, is put back afterwards.
class RoamingSettingsFile : public SettingsFile {
 protected:
  void SetUp() override {
    SettingsFile::SetUp();
    madeFolder_ = CreateDirectoryW(folder_.c_str(), nullptr) != FALSE;
    ASSERT_TRUE(WriteFileBytes(roaming_, kRoamingText));
  }
  void TearDown() override {
    if (before_ == "<missing>")
      DeleteFileW(roaming_.c_str());
    else
      WriteFileBytes(roaming_, before_);
    if (madeFolder_) RemoveDirectoryW(folder_.c_str());
  }
  const std::string kRoamingText = "HKCU\\Setup\\Where=\"roaming\"\r\n";
  const std::wstring folder_ = _wgetenv(L"APPDATA") + std::wstring(L"\\Bramix");
  const std::wstring roaming_ = folder_ + L"\\Bramix.ini";
  const std::string before_ = ReadFileBytes(roaming_);
  bool madeFolder_ = false;
};

}  // namespace

TEST_F(SettingsFile, WithSaveSettingsOffTheFileIsLeftAsItWas) {
  const std::string unsaved = "; kept\r\nGlobal\\SaveSettings=0\r\nHKCU\\Setup\\A=1\r\n";
  stage_.WriteFile(L"Bramix.ini", unsaved);
  RunSilently();
  EXPECT_EQ(unsaved, ReadFileBytes(ini_));
}

// Without integration the current user's product key goes from the file only.
TEST_F(SettingsFile, UninstallWithoutIntegrationRemovesTheProductKeyFromTheFile) {
  stage_.WriteFile(L"Bramix.ini", "Global\\Integration=0\r\nHKCU\\Setup\\Links\\Desktop=1\r\nNotes\\Kept=\"yes\"\r\n");
  RunSilently();
  EXPECT_EQ(Utf16FileBytes(
                L"Global\\AppData=1\r\nGlobal\\Integration=0\r\nGlobal\\SaveSettings=1\r\nNotes\\Kept=\"yes\"\r\n"),
            ReadFileBytes(ini_));
}

TEST_F(SettingsFile, ListedSettingsFileIsNotWrittenBackAndTheFolderGoes) {
  stage_.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Kept=\"old\"\r\n");
  stage_.WriteList({L"Bramix.exe", L"Bramix.ini", L"Uninstall.exe", L"Uninstall.lst"});
  RunSilently();
  EXPECT_FALSE(stage_.Exists(L""));
}

TEST_F(RoamingSettingsFile, IsUsedAndWrittenBackInItsPlaceWhenNoneLiesBesideTheProgram) {
  RunSilently();
  EXPECT_EQ(Utf16FileBytes(kSwitchesOn), ReadFileBytes(roaming_));
  EXPECT_FALSE(stage_.Exists(L"Bramix.ini"));
}

// The file beside the program is written back without the product's settings.
TEST_F(RoamingSettingsFile, IsLeftAloneWhenOneLiesBesideTheProgram) {
  stage_.WriteFile(L"Bramix.ini", "HKCU\\Setup\\Where=\"beside\"\r\n");
  RunSilently();
  EXPECT_EQ(kRoamingText, ReadFileBytes(roaming_));
  EXPECT_EQ(Utf16FileBytes(kSwitchesOn), ReadFileBytes(ini_));
}
