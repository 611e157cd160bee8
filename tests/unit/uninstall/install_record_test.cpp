#include "uninstall/install_record.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"
#include "support/unix_link.h"
#include "support/wine_program.h"

namespace {

const wchar_t kEntryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";

// A sandboxed registry, a fresh run state, the built-in texts and a staged folder:
//   Bramix\Uninstall.exe (1000 bytes), Bramix\Bramix.exe (1 byte),
//   Bramix\sub\deeper\data.bin (2000 bytes): 3001 bytes, 3 KiB rounded up;
//   elsewhere\big.bin (100,000 bytes), outside the installation.
class InstallRecord : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    ASSERT_TRUE(folder_.Ok());
    WriteSized(L"Bramix\\Uninstall.exe", 1000);
    WriteSized(L"Bramix\\Bramix.exe", 1);
    WriteSized(L"Bramix\\sub\\deeper\\data.bin", 2000);
    WriteSized(L"elsewhere\\big.bin", 100000);
  }

  std::wstring Path(const std::wstring& relative) const { return folder_.Path(relative); }
  std::wstring Program() const { return Path(L"Bramix\\Uninstall.exe"); }
  void WriteSized(const std::wstring& relative, size_t bytes) const {
    ASSERT_TRUE(WriteFileBytes(Path(relative), std::string(bytes, 'x')));
  }

  const ScopedRunState runState_;
  const ScopedLanguageTable languageTable_;
  const ScopedSettingsStore settingsStore_;
  const ScopedTempFolder folder_;
};

void SetEntryString(const wchar_t* name, const std::wstring& text) {
  ASSERT_TRUE(PutText(HKEY_LOCAL_MACHINE, kEntryKey, name, text));
}

}  // namespace

// The values worked out from the installation; an older setup's values are replaced.
TEST_F(InstallRecord, EntryValuesDescribeThisInstallation) {
  const std::pair<const wchar_t*, std::wstring> kTexts[] = {
      {L"DisplayName", L"Bramix 7.00 beta 1 64-bit"},
      {L"UninstallString", Program()},
      {L"QuietUninstallString", L"\"" + Program() + L"\" /s"},
      {L"DisplayIcon", Path(L"Bramix\\Bramix.exe")},
      {L"InstallLocation", Path(L"Bramix")},
  };
  for (const auto& [name, text] : kTexts) SetEntryString(name, L"old");
  SetEntryString(L"EstimatedSize", L"old");
  WriteUninstallEntry(Program());
  for (const auto& [name, text] : kTexts)
    EXPECT_EQ(text, StoredText(HKEY_LOCAL_MACHINE, kEntryKey, name)) << testing::PrintToString(std::wstring(name));
  EXPECT_EQ(3u, StoredDword(HKEY_LOCAL_MACHINE, kEntryKey, L"EstimatedSize"));
}

TEST_F(InstallRecord, DisplayIconIsKeptOnlyWhileItNamesSomethingThatExists) {
  WriteSized(L"Bramix\\Custom.ico", 10);
  const std::wstring ours = Path(L"Bramix\\Bramix.exe");
  const struct {
    const char* label;
    std::wstring before;
    std::wstring after;
  } kRows[] = {
      {"an existing file", Path(L"Bramix\\Custom.ico"), Path(L"Bramix\\Custom.ico")},
      {"a file that is gone", Path(L"Bramix\\Gone.ico"), ours},
      {"40,000 characters", Path(std::wstring(40000, L'i')), ours},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.label);
    SetEntryString(L"DisplayIcon", row.before);
    WriteUninstallEntry(Program());
    EXPECT_EQ(row.after, StoredText(HKEY_LOCAL_MACHINE, kEntryKey, L"DisplayIcon"));
  }
}

TEST_F(InstallRecord, MsiInstallationGetsNoEntry) {
  WritableRunState().Msi = true;
  WriteUninstallEntry(Program());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntryKey));
}

TEST_F(InstallRecord, VersionTextTakesTheWordsOfTheLanguage) {
  WritableLanguageTexts().Add("s:IDS_BETA", L"Vorabversion");
  WritableLanguageTexts().Add("s:IDS_64BIT", L"64 Bit");
  WritableLanguageTexts().Finish();
  EXPECT_EQ(L"7.00 Vorabversion 1 64 Bit", VersionText());
}

TEST_F(InstallRecord, FolderSizeIsRoundedUpToWholeKiB) {
  const struct {
    const wchar_t* folder;
    size_t bytes;
    DWORD kib;
  } kRows[] = {
      {L"1024 bytes", 1024, 1},
      {L"1025 bytes", 1025, 2},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.folder);
    WriteSized(std::wstring(row.folder) + L"\\file", row.bytes);
    EXPECT_EQ(row.kib, FolderSizeKiB(Path(row.folder)));
  }
}

TEST_F(InstallRecord, FolderSizeDoesNotEnterFolderLinks) {
  const ScopedUnixLink link(Path(L"elsewhere"), Path(L"Bramix\\link"));
  if (!link.Made()) GTEST_SKIP() << "no folder links here";
  EXPECT_EQ(3u, FolderSizeKiB(Path(L"Bramix")));
}

// The package folder holds the settings file, the product data folder (given by
// the registry) is empty, and the copy lands in the current folder.
class PackageCopy : public InstallRecord {
 protected:
  void SetUp() override {
    InstallRecord::SetUp();
    ASSERT_TRUE(WriteFileBytes(Path(L"package\\bramix.ini"), "[Bramix]\r\nfrom the package\r\n"));
    WriteSized(L"package\\Setup.exe", 10);
    ASSERT_TRUE(CreateDirectoryW(Path(L"data").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Path(L"current").c_str(), nullptr));
    ASSERT_TRUE(PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"AppData", Path(L"data")));
    ASSERT_TRUE(SetCurrentFolder(Path(L"current")));
  }
  std::string CopiedSettings() const { return ReadFileBytes(Path(L"current\\bramix.ini")); }

  const ScopedCurrentFolder current_;
};

TEST_F(PackageCopy, SettingsFileComesFromThePackageFolder) {
  const ScopedEnvVar sfxname(L"sfxname", Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("[Bramix]\r\nfrom the package\r\n", CopiedSettings());
}

TEST_F(PackageCopy, SettingsFileInTheDataFolderStopsTheCopy) {
  ASSERT_TRUE(WriteFileBytes(Path(L"data\\bramix.ini"), "[Bramix]\r\n"));
  const ScopedEnvVar sfxname(L"sfxname", Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("<missing>", CopiedSettings());
}

TEST_F(PackageCopy, ExistingSettingsFileIsNotOverwritten) {
  ASSERT_TRUE(WriteFileBytes(Path(L"current\\bramix.ini"), "mine"));
  const ScopedEnvVar sfxname(L"sfxname", Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("mine", CopiedSettings());
}

TEST_F(PackageCopy, UnusableSfxnameCopiesNothing) {
  // A relative name would find current\package\bramix.ini; the long one names the
  // package folder, followed by a name no file can have.
  ASSERT_TRUE(WriteFileBytes(Path(L"current\\package\\bramix.ini"), "[Bramix]\r\n"));
  const std::wstring tooLong = Path(L"package\\") + std::wstring(40000, L'a');
  const struct {
    const char* label;
    const wchar_t* value;  // null: unset
  } kRows[] = {
      {"unset", nullptr},
      {"relative", L"package\\Setup.exe"},
      {"40,000 characters", tooLong.c_str()},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.label);
    const ScopedEnvVar sfxname(L"sfxname", row.value);
    CopyPackageFiles();
    EXPECT_EQ("<missing>", CopiedSettings());
  }
}
