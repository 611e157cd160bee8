#include "environment/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/import_patch.h"
#include "support/registry_sandbox.h"

namespace {

std::wstring Removed(std::wstring path) { return RemoveNameFromPath(path), path; }
std::wstring Slashed(std::wstring path) { return AddEndSlash(path), path; }
std::wstring LongOf(const std::wstring& path) {
  std::wstring out;
  return MakeLongPath(path, out) ? out : L"<none>";
}

const std::wstring kLongModule = L"C:\\" + std::wstring(5000, L'd') + L"\\p.exe";
// GetModuleFileNameW as Windows has it: a name that does not fit is cut, terminated
// and reported with the buffer's size.
DWORD WINAPI LongModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
  buffer[kLongModule.copy(buffer, std::min<size_t>(size - 1, kLongModule.size()))] = 0;
  return static_cast<DWORD>(std::min<size_t>(size, kLongModule.size()));
}

}  // namespace

TEST(Paths, SplittingAndJoining) {
  auto point = [](const wchar_t* path) { return std::to_wstring(PointToName(path)); };
  auto wild = [](const wchar_t* path) { return std::wstring(IsWildcard(path) ? L"wild" : L"plain"); };
  const std::pair<std::wstring, std::wstring> table[] = {
      {point(L"C:"), L"2"}, {point(L"dir/file"), L"4"}, {point(L"file"), L"0"}, {point(L"1:x"), L"0"},
      {Removed(L"C:\\"), L"C:\\"}, {Removed(L"C:\\file"), L"C:\\"}, {Removed(L"C:file"), L"C:"},
      {Removed(L"C:\\dir\\file"), L"C:\\dir"}, {Removed(L"\\\\server\\share\\f"), L"\\\\server\\share"},
      {Removed(L"file"), L""}, {Removed(L"\\file"), L"\\"}, {Removed(L"dir/file"), L"dir"},
      {MakeName(L"C:", L"x"), L"C:x"}, {MakeName(L"C:\\", L"x"), L"C:\\x"}, {MakeName(L"", L"x"), L"x"},
      {MakeName(L"dir", L"x"), L"dir\\x"}, {Slashed(L"dir/"), L"dir/\\"}, {Slashed(L"d\\"), L"d\\"},
      {Slashed(L""), L""}, {wild(L"\\\\?\\C:\\x"), L"plain"}, {wild(L"C:\\*.txt"), L"wild"},
      {wild(L"\\\\?\\C:\\a?"), L"wild"},
  };
  for (size_t i = 0; i < std::size(table); ++i) EXPECT_EQ(table[i].second, table[i].first) << "case " << i;
}

TEST(Paths, LongForms) {
  std::wstring saved;
  ASSERT_TRUE(GetCurrentFolder(saved));
  ASSERT_TRUE(SetCurrentFolder(L"Z:\\tmp"));
  const std::pair<std::wstring, std::wstring> table[] = {
      {L"", L"<none>"}, {L"\\\\", L"<none>"}, {L"\\\\a", L"\\\\?\\UNC\\a"}, {L"C:\\a\\b", L"\\\\?\\C:\\a\\b"},
      {L"a\\b", L"\\\\?\\Z:\\tmp\\a\\b"}, {L"./a", L"\\\\?\\Z:\\tmp\\a"}, {L".\\./a", L"\\\\?\\Z:\\tmp\\./a"},
      {L"..\\a", L"\\\\?\\Z:\\tmp\\..\\a"}, {L"/a", L"\\\\?\\Z:/a"}, {L"\\a", L"\\\\?\\Z:\\a"},
  };
  for (const auto& [source, expected] : table) EXPECT_EQ(expected, LongOf(source)) << source;
  SetCurrentFolder(saved);
}

TEST(Paths, ModuleNamesBeyondTheFirstBuffer) {
  ScopedImportPatch patch("GetModuleFileNameW", reinterpret_cast<void*>(LongModuleFileName));
  ASSERT_TRUE(patch.Patched());
  EXPECT_EQ(kLongModule, GetModulePath());
}

class ProductDataFolder : public RegistrySandbox {};

TEST_F(ProductDataFolder, AMissingFolderInTheRegistryFallsBackToTheProgramFolder) {
  std::wstring out;
  if (GetRoamingDataFolder(out)) GTEST_SKIP() << "the prefix already has " << testing::PrintToString(out);
  for (std::wstring named : {L"C:\\no\\such\\folder", L"C:\\windows"}) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"AppData", REG_SZ,
                                             named.c_str(), static_cast<DWORD>((named.size() + 1) * 2)));
    GetProductDataFolder(out);
    EXPECT_EQ(named == L"C:\\windows" ? named : Removed(GetModulePath()), out);
  }
}
