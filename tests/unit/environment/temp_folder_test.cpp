#include "environment/temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/import_patch.h"

TEST(SystemTempFolder, FailingCallGivesTheFallback) {
  ScopedImportPatch patch("GetTempPathW", reinterpret_cast<void*>(+[](DWORD, LPWSTR) -> DWORD { return 0; }));
  ASSERT_TRUE(patch.Patched());
  EXPECT_EQ(L"\\zpktemp\\", GetSystemTempFolder());
}
