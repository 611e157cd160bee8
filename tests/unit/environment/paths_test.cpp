#include "environment/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/import_patch.h"
#include "support/registry_sandbox.h"

namespace {

std::wstring Removed(std::wstring path) { return RemoveNameFromPath(path), path; }
std::wstring Slashed(std::wstring path) { return AddEndSlash(path), path; }
std::wstring Point(const wchar_t* path) { return std::to_wstring(PointToName(path)); }
std::wstring Wild(const wchar_t* path) { return IsWildcard(path) ? L"wild" : L"plain"; }
std::wstring LongOf(const std::wstring& path) { std::wstring out; return MakeLongPath(path, out) ? out : L"<none>"; }

const std::wstring kLongModule = L"C:\\" + std::wstring(5000, L'd') + L"\\p.exe";
// As on Windows, a name that does not fit is cut, terminated and reported with the buffer's size.
DWORD WINAPI LongModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
  buffer[kLongModule.copy(buffer, size - 1)] = 0;
  return static_cast<DWORD>(std::min<size_t>(size, kLongModule.size()));
}

}  // namespace

TEST(Paths, SplittingJoiningLongFormsAndModuleNames) {
  std::wstring saved;
  ASSERT_TRUE(GetCurrentFolder(saved) && SetCurrentFolder(L"Z:\\tmp"));
  const std::pair<std::wstring, std::wstring> table[] = {
      {Point(L"C:"), L"2"}, {Point(L"dir/file"), L"4"}, {Point(L"file"), L"0"}, {Point(L"1:x"), L"0"},
      {Removed(L"C:\\"), L"C:\\"}, {Removed(L"C:\\file"), L"C:\\"}, {Removed(L"C:file"), L"C:"},
      {Removed(L"C:\\dir\\file"), L"C:\\dir"}, {Removed(L"\\\\server\\share\\f"), L"\\\\server\\share"},
      {Removed(L"file"), L""}, {Removed(L"\\file"), L"\\"}, {Removed(L"dir/file"), L"dir"},
      {MakeName(L"C:", L"x"), L"C:x"}, {MakeName(L"C:\\", L"x"), L"C:\\x"}, {MakeName(L"", L"x"), L"x"},
      {MakeName(L"dir", L"x"), L"dir\\x"}, {Slashed(L"dir/"), L"dir/\\"}, {Slashed(L"d\\"), L"d\\"},
      {Slashed(L""), L""}, {Wild(L"\\\\?\\C:\\x"), L"plain"}, {Wild(L"C:\\*.txt"), L"wild"},
      {Wild(L"\\\\?\\C:\\a?"), L"wild"}, {LongOf(L""), L"<none>"}, {LongOf(L"\\\\"), L"<none>"},
      {LongOf(L"\\\\a"), L"\\\\?\\UNC\\a"}, {LongOf(L"C:\\a\\b"), L"\\\\?\\C:\\a\\b"},
      {LongOf(L"a\\b"), L"\\\\?\\Z:\\tmp\\a\\b"}, {LongOf(L"./a"), L"\\\\?\\Z:\\tmp\\a"},
      {LongOf(L".\\./a"), L"\\\\?\\Z:\\tmp\\./a"}, {LongOf(L"..\\a"), L"\\\\?\\Z:\\tmp\\..\\a"},
      {LongOf(L"/a"), L"\\\\?\\Z:/a"}, {LongOf(L"\\a"), L"\\\\?\\Z:\\a"},
  };
  SetCurrentFolder(saved);
  for (size_t i = 0; i < std::size(table); ++i) EXPECT_EQ(table[i].second, table[i].first) << "case " << i;
  ScopedImportPatch patch("GetModuleFileNameW", reinterpret_cast<void*>(LongModuleFileName));
  ASSERT_TRUE(patch.Patched());
  EXPECT_EQ(kLongModule, GetModulePath());
}

TEST_F(RegistrySandbox, AMissingProductDataFolderFallsBackToTheProgramFolder) {
  std::wstring out;
  if (GetRoamingDataFolder(out)) GTEST_SKIP() << "the prefix already has " << testing::PrintToString(out);
  for (std::wstring named : {L"C:\\no\\such\\folder", L"C:\\windows"}) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"AppData", REG_SZ,
                                             named.c_str(), static_cast<DWORD>((named.size() + 1) * 2)));
    GetProductDataFolder(out);
    EXPECT_EQ(named == L"C:\\windows" ? named : Removed(GetModulePath()), out);
  }
}
