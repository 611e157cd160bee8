#include "environment/paths.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/registry_sandbox.h"
#include "support/wine_program.h"
#include "text/text_utils.h"
#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

std::wstring Removed(std::wstring path) {
  RemoveNameFromPath(path);
  return path;
}
std::wstring Slashed(std::wstring path) {
  AddEndSlash(path);
  return path;
}
std::wstring LongOf(const std::wstring& path) {
  std::wstring out = L"<none>";
  return MakeLongPath(path, out) ? out : L"<none>";
}

// Restores the process's current folder when it goes away.
class CurrentFolderKeeper {
 public:
  CurrentFolderKeeper() { GetCurrentFolder(saved_); }
  ~CurrentFolderKeeper() { SetCurrentFolder(saved_); }

 private:
  std::wstring saved_;
};

constexpr wchar_t kReportVariable[] = L"UNIT_ENVIRONMENT_MODULE_REPORT";

}  // namespace

TEST(PathSplitting, NamesFoldersAndJoins) {
  EXPECT_EQ(2u, PointToName(L"C:"));
  EXPECT_EQ(4u, PointToName(L"dir/file"));
  EXPECT_EQ(0u, PointToName(L"file"));
  EXPECT_EQ(L"file", GetNamePart(L"c:file"));
  EXPECT_EQ(L"C:\\dir\\", GetFolderPart(L"C:\\dir\\file"));
  EXPECT_EQ(L"", GetNamePart(L"C:\\dir\\"));
  EXPECT_EQ(L"a/b\\new", SetName(L"a/b\\old", L"new"));
  EXPECT_EQ(0u, PointToName(L"1:x"));  // only a letter makes a drive

  EXPECT_EQ(L"C:\\", Removed(L"C:\\"));
  EXPECT_EQ(L"C:\\", Removed(L"C:\\file"));
  EXPECT_EQ(L"C:", Removed(L"C:file"));
  EXPECT_EQ(L"C:\\dir", Removed(L"C:\\dir\\file"));
  EXPECT_EQ(L"\\\\server\\share", Removed(L"\\\\server\\share\\f"));
  EXPECT_EQ(L"", Removed(L"file"));
  EXPECT_EQ(L"\\", Removed(L"\\file"));
  EXPECT_EQ(L"dir", Removed(L"dir/file"));

  EXPECT_EQ(L"dir/\\", Slashed(L"dir/"));
  EXPECT_EQ(L"dir\\", Slashed(L"dir\\"));
  EXPECT_EQ(L"", Slashed(L""));
  EXPECT_EQ(L"C:x", MakeName(L"C:", L"x"));
  EXPECT_EQ(L"C:\\x", MakeName(L"C:\\", L"x"));
  EXPECT_EQ(L"x", MakeName(L"", L"x"));
  EXPECT_EQ(L"dir\\x", MakeName(L"dir", L"x"));
}

TEST(PathSplitting, Classification) {
  EXPECT_TRUE(IsFullPath(L"c:/x"));
  EXPECT_TRUE(IsFullPath(L"\\\\server\\share"));
  EXPECT_FALSE(IsFullPath(L"//server/share"));
  EXPECT_FALSE(IsFullPath(L"C:name"));
  EXPECT_FALSE(IsFullPath(L"\\name"));
  EXPECT_FALSE(IsFullPath(L"C:"));
  EXPECT_TRUE(IsDriveLetter(L"z:"));
  EXPECT_FALSE(IsDriveLetter(L"@:\\"));
  EXPECT_FALSE(IsDriveLetter(L"C"));
  EXPECT_FALSE(IsWildcard(L"\\\\?\\C:\\x"));
  EXPECT_TRUE(IsWildcard(L"C:\\*.txt"));
  EXPECT_TRUE(IsWildcard(L"\\\\?\\C:\\a?"));
  EXPECT_EQ(0, GetLastChar(L""));
  EXPECT_EQ(L'/', GetLastChar(L"a/"));
}

TEST(LongPath, FullAndRelativeNames) {
  EXPECT_EQ(L"<none>", LongOf(L""));
  EXPECT_EQ(L"<none>", LongOf(L"\\\\"));
  EXPECT_EQ(L"\\\\?\\UNC\\a", LongOf(L"\\\\a"));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\x", LongOf(L"\\\\server\\share\\x"));
  EXPECT_EQ(L"\\\\?\\C:\\a\\b", LongOf(L"C:\\a\\b"));

  CurrentFolderKeeper keeper;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring work = MakeName(temp, L"unit_environment_w");
  CreateDirectoryW(work.c_str(), nullptr);
  ASSERT_TRUE(SetCurrentFolder(work));
  std::wstring current;
  ASSERT_TRUE(GetCurrentFolder(current));
  EXPECT_EQ(work, current);
  EXPECT_EQ(L"\\\\?\\" + work + L"\\a\\b", LongOf(L"a\\b"));
  EXPECT_EQ(L"\\\\?\\" + work + L"\\a", LongOf(L"./a"));
  EXPECT_EQ(L"\\\\?\\" + work + L"\\a", LongOf(L".\\a"));
  EXPECT_EQ(L"\\\\?\\" + work + L"\\..\\a", LongOf(L"..\\a"));
  EXPECT_EQ(L"\\\\?\\" + work + L"\\./a", LongOf(L"././a"));
  EXPECT_EQ(L"\\\\?\\" + work.substr(0, 2) + L"\\a", LongOf(L"\\a"));
  EXPECT_EQ(L"\\\\?\\" + work.substr(0, 2) + L"/a", LongOf(L"/a"));

  // Another drive, and a root whose separator is not doubled.
  ASSERT_TRUE(SetCurrentFolder(L"Z:\\"));
  EXPECT_EQ(L"\\\\?\\Z:\\a", LongOf(L"\\a"));
  EXPECT_EQ(L"\\\\?\\Z:\\a", LongOf(L"a"));
  SetCurrentFolder(temp);
  RemoveDirectoryW(work.c_str());
}

// Started in a copy of this program that lies deep in the temporary folder: writes
// what the program finds out about its own location.
TEST(ModulePathChild, Report) {
  std::wstring report;
  if (!GetEnvVar(kReportVariable, report)) GTEST_SKIP() << "only run by ModulePath.NamesAroundTheFirstBufferSize";
  std::wstring text = GetModulePath() + L"\n" + GetModuleFolderFile(L"x.dat");
  HANDLE file = CreateFileW(report.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
}

class ModulePath : public TempFolderTest {};

// Wine starts no program whose name has MAX_PATH characters or more (Windows does
// not either), so the real program is run just around the first buffer size.
TEST_F(ModulePath, NamesAroundTheFirstBufferSize) {
  std::wstring self = GetModulePath();
  EXPECT_EQ(L"unit_environment.exe", GetNamePart(self));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(self.c_str()));
  std::wstring report = Path(L"report.txt");
  ScopedEnvVar variable(kReportVariable, report.c_str());
  for (size_t length : {255, 256, 259}) {
    std::wstring folder = root_ + L"\\" + std::wstring(length - root_.size() - 7, L'0' + length % 10);
    std::wstring copy = folder + L"\\u.exe";
    ASSERT_EQ(length, copy.size());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(self.c_str(), copy.c_str(), FALSE));
    ChildProcess child;
    ASSERT_TRUE(child.Start(copy, L"--gtest_filter=ModulePathChild.Report"));
    ASSERT_TRUE(child.Wait(60000));
    std::string bytes = ReadBytes(report);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    EXPECT_EQ(copy + L"\n" + folder + L"\\x.dat", text) << length;
  }
}

namespace {

std::wstring fakeModuleName;
std::vector<DWORD> fakeModuleSizes;
// GetModuleFileNameW as Windows has it: a name that does not fit is cut, terminated,
// and reported with the buffer's size.
DWORD WINAPI FakeModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
  fakeModuleSizes.push_back(size);
  size_t copied = std::min<size_t>(size - 1, fakeModuleName.size());
  fakeModuleName.copy(buffer, copied);
  buffer[copied] = 0;
  return fakeModuleName.size() < size ? static_cast<DWORD>(fakeModuleName.size()) : size;
}

}  // namespace

TEST(ModulePathGrowth, BufferGrowsFourfoldUpToItsLimit) {
  ScopedImportPatch patch("GetModuleFileNameW", reinterpret_cast<void*>(FakeModuleFileName));
  ASSERT_TRUE(patch.Patched());
  fakeModuleName = L"C:\\" + std::wstring(5000, L'd') + L"\\p.exe";
  fakeModuleSizes.clear();
  EXPECT_EQ(fakeModuleName, GetModulePath());
  EXPECT_EQ((std::vector<DWORD>{256, 1024, 4096, 16384}), fakeModuleSizes);
  EXPECT_EQ(L"C:\\" + std::wstring(5000, L'd') + L"\\x.dat", GetModuleFolderFile(L"x.dat"));
  fakeModuleName = L"C:\\" + std::wstring(70000, L'd');
  fakeModuleSizes.clear();
  EXPECT_EQ(fakeModuleName.substr(0, 65535), GetModulePath());
  EXPECT_EQ((std::vector<DWORD>{256, 1024, 4096, 16384, 65536}), fakeModuleSizes);
}

class ProductDataFolder : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData));
    roaming_ = MakeName(appData, L"Bramix");
    hadRoaming_ = GetFileAttributesW(roaming_.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  void TearDown() override {
    if (!hadRoaming_) RemoveDirectoryW(roaming_.c_str());
    RegistrySandbox::TearDown();
  }
  void SetAppData(const std::wstring& value) {
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", 0, nullptr, 0, KEY_SET_VALUE,
                                 nullptr, &key, nullptr));
    RegSetValueExW(key, L"AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  std::wstring Result() {
    std::wstring out = L"stale";
    GetProductDataFolder(out);
    return out;
  }

  std::wstring roaming_;
  bool hadRoaming_ = false;
};

TEST_F(ProductDataFolder, RegistryThenRoamingThenProgramFolder) {
  if (hadRoaming_) GTEST_SKIP() << "the prefix already has " << testing::PrintToString(roaming_);
  std::wstring programFolder = Removed(GetModulePath());
  std::wstring out;
  EXPECT_FALSE(GetRoamingDataFolder(out));
  EXPECT_EQ(roaming_, out);
  EXPECT_EQ(programFolder, Result());

  SetAppData(L"C:\\no\\such\\folder");
  EXPECT_EQ(programFolder, Result());
  ASSERT_TRUE(CreateDirectoryW(roaming_.c_str(), nullptr));
  EXPECT_TRUE(GetRoamingDataFolder(out));
  EXPECT_EQ(roaming_, Result());

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  SetAppData(temp);
  EXPECT_EQ(temp, Result());
  SetAppData(GetModulePath());  // an existing file is taken as well
  EXPECT_EQ(GetModulePath(), Result());
}
