#include "files/disk_file.h"

#include <gtest/gtest.h>

#include "files/file_system.h"
#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

class DiskFileTest : public TempFolderTest {};

// Wine locks no byte range: while patched, reads above 32768 bytes fail as a read
// that reaches a range locked by another process does.
void* realReadFile = nullptr;
BOOL WINAPI LockedReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped) {
  if (count > 32768) {
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
  }
  return reinterpret_cast<decltype(&ReadFile)>(realReadFile)(file, buffer, count, read, overlapped);
}

}  // namespace

TEST_F(DiskFileTest, ACreatedFileLeftOpenIsRemoved) {
  {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(L"dropped")));
    ASSERT_TRUE(file.Write("abc", 3));
  }
  EXPECT_FALSE(PathExists(Path(L"dropped")));
}

TEST_F(DiskFileTest, AReadRefusedForALockIsRetriedSmallerAndReadingGoesOn) {
  WriteBytes(Path(L"big"), std::string(100000, 'b'));
  DiskFile file;
  ASSERT_TRUE(file.Open(Path(L"big"), false));
  static char buffer[65536];
  {
    ScopedImportPatch patch("ReadFile", reinterpret_cast<void*>(LockedReadFile), &realReadFile);
    ASSERT_TRUE(patch.Patched());
    EXPECT_EQ(32768, file.Read(buffer, sizeof buffer));
  }
  EXPECT_EQ(65536, file.Read(buffer, sizeof buffer));
}
