#include <gtest/gtest.h>
#include <windows.h>

#include "environment/paths.h"
#include "support/import_patch.h"

namespace {

// GetCurrentDirectoryW as seen by the code under test: the first call (size 0)
// asks for 10 characters, the second one answers `secondAnswer`.
DWORD secondAnswer = 0;
DWORD WINAPI ChangingCurrentDirectory(DWORD size, LPWSTR) {
  if (size == 0) return 10;
  return secondAnswer;
}

}  // namespace

TEST(GetCurrentFolder, FolderNotReadLeavesTheOutputAlone) {
  struct Row {
    const char* name;
    DWORD answer;
  };
  const Row rows[] = {
      {"the read fails", 0},
      {"the folder grew between the calls", 25},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    secondAnswer = row.answer;
    ScopedImportPatch patch("GetCurrentDirectoryW", reinterpret_cast<void*>(ChangingCurrentDirectory));
    ASSERT_TRUE(patch.Patched());
    std::wstring out = L"C:\\before";
    EXPECT_FALSE(GetCurrentFolder(out));
    EXPECT_EQ(L"C:\\before", out);
  }
}
