#include "environment/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

const std::wstring kLongModule = L"C:\\" + std::wstring(5000, L'd') + L"\\p.exe";

// As on Windows, a name that does not fit is cut, terminated and reported with the buffer's size.
DWORD WINAPI LongModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
  buffer[kLongModule.copy(buffer, size - 1)] = 0;
  return static_cast<DWORD>(std::min<size_t>(size, kLongModule.size()));
}

}  // namespace

TEST(Paths, LongFormsOfFullAndRelativePaths) {
  ScopedCurrentFolder current(L"Z:\\tmp");
  ASSERT_TRUE(current.Ok());
  const struct {
    const wchar_t* input;
    const wchar_t* expected;
  } rows[] = {
      {L"\\\\a", L"\\\\?\\UNC\\a"},
      {L"C:\\a\\b", L"\\\\?\\C:\\a\\b"},
      {L"a\\b", L"\\\\?\\Z:\\tmp\\a\\b"},
      {L"./a", L"\\\\?\\Z:\\tmp\\a"},
      {L"..\\a", L"\\\\?\\Z:\\tmp\\..\\a"},
      {L"\\a", L"\\\\?\\Z:\\a"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.input));
    std::wstring out;
    EXPECT_TRUE(MakeLongPath(row.input, out));
    EXPECT_EQ(row.expected, out);
  }
}

TEST(Paths, AModulePathLongerThanTheFirstBufferIsReadWhole) {
  ScopedImportPatch patch("GetModuleFileNameW", reinterpret_cast<void*>(LongModuleFileName));
  ASSERT_TRUE(patch.Patched());
  EXPECT_EQ(kLongModule, GetModulePath());
}
