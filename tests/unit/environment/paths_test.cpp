#include "environment/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/import_patch.h"
#include "support/registry_sandbox.h"
#include "support/temp_folder.h"
#include "support/registry_values.h"

namespace {

struct PathRow {
  const wchar_t* input;
  const wchar_t* expected;
};

std::wstring WithoutName(std::wstring path) {
  RemoveNameFromPath(path);
  return path;
}

const std::wstring kLongModule = L"C:\\" + std::wstring(5000, L'd') + L"\\p.exe";

// As on Windows, a name that does not fit is cut, terminated and reported with the buffer's size.
DWORD WINAPI LongModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
  buffer[kLongModule.copy(buffer, size - 1)] = 0;
  return static_cast<DWORD>(std::min<size_t>(size, kLongModule.size()));
}

void SetProductAppData(const std::wstring& folder) {
  ASSERT_TRUE(PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"AppData", folder));
}

}  // namespace

TEST(Paths, RemovingTheNameKeepsTheFolderAndARootsSeparator) {
  const PathRow rows[] = {
      {L"C:\\file", L"C:\\"},
      {L"C:file", L"C:"},
      {L"C:\\dir\\file", L"C:\\dir"},
      {L"\\\\server\\share\\f", L"\\\\server\\share"},
      {L"dir/file", L"dir"},
  };
  for (const PathRow& row : rows) EXPECT_EQ(row.expected, WithoutName(row.input)) << testing::PrintToString(row.input);
}

TEST(Paths, JoiningPutsOneBackslashExceptAfterABareDrive) {
  const struct {
    const wchar_t* folder;
    const wchar_t* joined;
  } rows[] = {{L"C:", L"C:x"}, {L"C:\\", L"C:\\x"}, {L"", L"x"}, {L"dir", L"dir\\x"}};
  for (const auto& row : rows) EXPECT_EQ(row.joined, MakeName(row.folder, L"x")) << testing::PrintToString(row.folder);
}

TEST(Paths, WildcardsAreFoundOutsideTheLongPathPrefix) {
  const struct {
    const wchar_t* input;
    bool wild;
  } rows[] = {{L"\\\\?\\C:\\x", false}, {L"C:\\*.txt", true}, {L"\\\\?\\C:\\a?", true}, {L"C:\\a", false}};
  for (const auto& row : rows) EXPECT_EQ(row.wild, IsWildcard(row.input)) << testing::PrintToString(row.input);
}

TEST(Paths, LongFormsOfFullAndRelativePaths) {
  ScopedCurrentFolder current(L"Z:\\tmp");
  ASSERT_TRUE(current.Ok());
  const PathRow rows[] = {
      {L"\\\\a", L"\\\\?\\UNC\\a"},
      {L"C:\\a\\b", L"\\\\?\\C:\\a\\b"},
      {L"a\\b", L"\\\\?\\Z:\\tmp\\a\\b"},
      {L"./a", L"\\\\?\\Z:\\tmp\\a"},
      {L"..\\a", L"\\\\?\\Z:\\tmp\\..\\a"},
      {L"\\a", L"\\\\?\\Z:\\a"},
  };
  for (const PathRow& row : rows) {
    std::wstring out;
    EXPECT_TRUE(MakeLongPath(row.input, out)) << testing::PrintToString(row.input);
    EXPECT_EQ(row.expected, out) << testing::PrintToString(row.input);
  }
}

TEST(Paths, NoLongFormForAnEmptyPathOrABareDoubleBackslash) {
  for (const wchar_t* input : {L"", L"\\\\"}) {
    std::wstring out = L"untouched";
    EXPECT_FALSE(MakeLongPath(input, out)) << testing::PrintToString(input);
  }
}

TEST(Paths, AModulePathLongerThanTheFirstBufferIsReadWhole) {
  ScopedImportPatch patch("GetModuleFileNameW", reinterpret_cast<void*>(LongModuleFileName));
  ASSERT_TRUE(patch.Patched());
  EXPECT_EQ(kLongModule, GetModulePath());
}

class ProductDataFolder : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    std::wstring roaming;
    if (GetRoamingDataFolder(roaming)) GTEST_SKIP() << "the prefix already has " << testing::PrintToString(roaming);
  }
};

TEST_F(ProductDataFolder, AnExistingFolderNamedInTheRegistryIsUsed) {
  SetProductAppData(L"C:\\windows");
  std::wstring out;
  GetProductDataFolder(out);
  EXPECT_EQ(L"C:\\windows", out);
}

TEST_F(ProductDataFolder, AMissingFolderNamedInTheRegistryFallsBackToTheProgramFolder) {
  SetProductAppData(L"C:\\no\\such\\folder");
  std::wstring out;
  GetProductDataFolder(out);
  EXPECT_EQ(WithoutName(GetModulePath()), out);
}
