#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "support/registry_sandbox.h"
#include "support/scoped_state.h"
#include "support/wine_program.h"
#include "uninstall/install_record.h"
#include "uninstall/registration_cleanup.h"

namespace {

const wchar_t kEntryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

// A folder link made by ln (Wine shows a unix symbolic link as one but cannot make
// one) and taken away by rm. Wine cannot wait for a unix process: the link's
// coming and going is watched instead.
class ScopedUnixLink {
 public:
  ScopedUnixLink(const std::wstring& folder, const std::wstring& target, const std::wstring& name)
      : folder_(folder), name_(name), made_(Run(L"ln", L"-s " + target + L" " + name, true)) {}
  ~ScopedUnixLink() {
    if (made_) Run(L"rm", name_, false);
  }
  bool Made() const { return made_; }

 private:
  bool Run(const wchar_t* tool, const std::wstring& args, bool present) const {
    ChildProcess process;
    if (!process.Start(std::wstring(L"Z:\\bin\\") + tool, args, folder_)) return false;
    auto there = [&] { return GetFileAttributesW((folder_ + L"\\" + name_).c_str()) != INVALID_FILE_ATTRIBUTES; };
    for (int i = 0; i < 100 && there() != present; ++i) Sleep(50);
    return there() == present;
  }
  const std::wstring folder_, name_;
  const bool made_;
};

// A sandboxed registry, a fresh run state, the built-in texts and a staged folder
// under the temporary folder:
//   Bramix\Uninstall.exe (1000 bytes), Bramix\Bramix.exe (1 byte),
//   Bramix\sub\deeper\data.bin (2000 bytes): 3001 bytes, 3 KiB rounded up;
//   elsewhere\big.bin (100,000 bytes), outside the installation.
class InstallRecord : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::wstring(temp) + L"unit_InstallRecord." + Widen(info->name());
    DeleteTree(root_);
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
    WriteSized(L"Bramix\\Uninstall.exe", 1000);
    WriteSized(L"Bramix\\Bramix.exe", 1);
    WriteSized(L"Bramix\\sub\\deeper\\data.bin", 2000);
    WriteSized(L"elsewhere\\big.bin", 100000);
  }
  void TearDown() override {
    DeleteTree(root_);
    RegistrySandbox::TearDown();
  }

  std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }
  std::wstring Program() const { return Path(L"Bramix\\Uninstall.exe"); }

  void WriteText(const std::wstring& relative, const std::string& bytes) const {
    const std::wstring path = Path(relative);
    for (size_t i = root_.size() + 1; (i = path.find(L'\\', i)) != std::wstring::npos; ++i)
      CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file) << relative;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }
  void WriteSized(const std::wstring& relative, size_t bytes) const { WriteText(relative, std::string(bytes, 'x')); }

  std::string ReadText(const std::wstring& relative) const {
    UniqueFile file(CreateFileW(Path(relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    if (!file) return "<missing>";
    char buffer[256];
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return "<unreadable>";
    return std::string(buffer, read);
  }

  const ScopedRunState runState_;
  const ScopedLanguageTable languageTable_;
  const ScopedSettingsStore settingsStore_;
  std::wstring root_;
};

struct StoredValue {
  DWORD type = REG_NONE;  // REG_NONE when the value is missing
  std::wstring text;
  DWORD number = 0;
};

StoredValue ReadEntryValue(const wchar_t* name) {
  StoredValue value;
  std::vector<BYTE> data(0x20000, 0);
  DWORD bytes = static_cast<DWORD>(data.size() - sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kEntryKey, name, RRF_RT_ANY, &value.type, data.data(), &bytes) != 0)
    return StoredValue{};
  if (value.type == REG_DWORD) value.number = *reinterpret_cast<const DWORD*>(data.data());
  if (value.type == REG_SZ) value.text = reinterpret_cast<const wchar_t*>(data.data());
  return value;
}

bool EntryExists() {
  UniqueHkey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEntryKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void SetEntryString(const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kEntryKey, name, REG_SZ, text.c_str(),
                                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

}  // namespace

TEST_F(InstallRecord, EntryValues) {
  const struct {
    const wchar_t* name;
    DWORD type;
    std::wstring text;
    DWORD number;
  } kRows[] = {
      {L"DisplayName", REG_SZ, L"Bramix 7.00 beta 1 64-bit", 0},
      {L"DisplayVersion", REG_SZ, L"7.00.1", 0},
      {L"VersionMajor", REG_DWORD, L"", 7},
      {L"VersionMinor", REG_DWORD, L"", 0},
      {L"UninstallString", REG_SZ, Program(), 0},
      {L"DisplayIcon", REG_SZ, Path(L"Bramix\\Bramix.exe"), 0},
      {L"InstallLocation", REG_SZ, Path(L"Bramix"), 0},
      {L"NoModify", REG_DWORD, L"", 1},
      {L"NoRepair", REG_DWORD, L"", 1},
      {L"Language", REG_DWORD, L"", 0},
      {L"Publisher", REG_SZ, L"Bramix", 0},
      {L"QuietUninstallString", REG_SZ, L"\"" + Program() + L"\" /s", 0},
      {L"EstimatedSize", REG_DWORD, L"", 3},
  };
  // What an older setup left: every value is written anew.
  for (const auto& row : kRows) SetEntryString(row.name, L"old");
  WriteUninstallEntry(Program());
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    const StoredValue stored = ReadEntryValue(row.name);
    EXPECT_EQ(row.type, stored.type);
    EXPECT_EQ(row.text, stored.text);
    EXPECT_EQ(row.number, stored.number);
  }
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
      {"an existing folder", Path(L"elsewhere"), Path(L"elsewhere")},
      {"a file that is gone", Path(L"Bramix\\Gone.ico"), ours},
      {"empty", L"", ours},
      {"40,000 characters", Path(std::wstring(40000, L'i')), ours},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.label);
    SetEntryString(L"DisplayIcon", row.before);
    WriteUninstallEntry(Program());
    EXPECT_EQ(row.after, ReadEntryValue(L"DisplayIcon").text);
  }
}

TEST_F(InstallRecord, MsiInstallationGetsNoEntry) {
  WritableRunState().Msi = true;
  WriteUninstallEntry(Program());
  EXPECT_FALSE(EntryExists());
}

TEST_F(InstallRecord, UninstallRunRemovesTheWholeEntry) {
  WriteUninstallEntry(Program());
  ASSERT_EQ(REG_SZ, ReadEntryValue(L"QuietUninstallString").type);
  ASSERT_EQ(REG_DWORD, ReadEntryValue(L"EstimatedSize").type);
  RemoveRegistrations();
  EXPECT_FALSE(EntryExists());
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
      {L"no files", 0, 0},
      {L"1024 bytes", 1024, 1},
      {L"1025 bytes", 1025, 2},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.folder);
    ASSERT_TRUE(CreateDirectoryW(Path(row.folder).c_str(), nullptr));
    if (row.bytes > 0) WriteSized(std::wstring(row.folder) + L"\\file", row.bytes);
    EXPECT_EQ(row.kib, FolderSizeKiB(Path(row.folder)));
  }
}

TEST_F(InstallRecord, FolderSizeDoesNotEnterFolderLinks) {
  const ScopedUnixLink link(Path(L"Bramix"), L"../elsewhere", L"link");
  if (!link.Made()) GTEST_SKIP() << "no folder links here";
  ASSERT_NE(0u, GetFileAttributesW(Path(L"Bramix\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(3u, FolderSizeKiB(Path(L"Bramix")));
}

// The package folder holds the settings file, the product data folder (given by
// the registry) is empty, and the current folder, where the copy lands, is
// "current" until the test ends.
class PackageCopy : public InstallRecord {
 protected:
  void SetUp() override {
    InstallRecord::SetUp();
    ASSERT_TRUE(GetCurrentFolder(savedCurrent_));
    WriteText(L"package\\bramix.ini", "[Bramix]\r\nfrom the package\r\n");
    WriteSized(L"package\\Setup.exe", 10);
    ASSERT_TRUE(CreateDirectoryW(Path(L"data").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Path(L"current").c_str(), nullptr));
    const std::wstring data = Path(L"data");
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"AppData", REG_SZ,
                                             data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))));
    ASSERT_TRUE(SetCurrentFolder(Path(L"current")));
  }
  void TearDown() override {
    SetCurrentFolder(savedCurrent_);
    InstallRecord::TearDown();
  }

  std::wstring savedCurrent_;
};

TEST_F(PackageCopy, SettingsFileComesFromThePackageFolder) {
  const ScopedEnvVar sfxname(L"sfxname", Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("[Bramix]\r\nfrom the package\r\n", ReadText(L"current\\bramix.ini"));
}

TEST_F(PackageCopy, PackageFolderWithoutSettingsFileCopiesNothing) {
  WriteSized(L"bare\\Setup.exe", 10);
  const ScopedEnvVar sfxname(L"sfxname", Path(L"bare\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("<missing>", ReadText(L"current\\bramix.ini"));
}

TEST_F(PackageCopy, SettingsFileInTheDataFolderStopsTheCopy) {
  WriteText(L"data\\bramix.ini", "[Bramix]\r\n");
  const ScopedEnvVar sfxname(L"sfxname", Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("<missing>", ReadText(L"current\\bramix.ini"));
}

TEST_F(PackageCopy, ExistingSettingsFileIsNotOverwritten) {
  WriteText(L"current\\bramix.ini", "mine");
  const ScopedEnvVar sfxname(L"sfxname", Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("mine", ReadText(L"current\\bramix.ini"));
}

TEST_F(PackageCopy, UnusableSfxnameCopiesNothing) {
  // A relative name would find current\package\bramix.ini; the long one names the
  // package folder, followed by a name no file can have (the system cuts it to
  // 32,766 characters).
  WriteText(L"current\\package\\bramix.ini", "[Bramix]\r\n");
  const std::wstring tooLong = Path(L"package\\") + std::wstring(40000, L'a');
  const struct {
    const char* label;
    const wchar_t* value;  // null: unset
  } kRows[] = {
      {"unset", nullptr},
      {"empty", L""},
      {"relative", L"package\\Setup.exe"},
      {"40,000 characters", tooLong.c_str()},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.label);
    const ScopedEnvVar sfxname(L"sfxname", row.value);
    CopyPackageFiles();
    EXPECT_EQ("<missing>", ReadText(L"current\\bramix.ini"));
  }
}
