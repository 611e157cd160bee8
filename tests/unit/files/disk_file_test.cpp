#include "files/disk_file.h"

#include <gtest/gtest.h>

#include "files/file_system.h"
#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

class DiskFileTest : public TempFolderTest {};

// Wine refuses no read for its size: while patched, reads above 32768 bytes fail.
DWORD refuseError = 0;
void* realReadFile = nullptr;
BOOL WINAPI RefusingReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped) {
  if (count > 32768) return SetLastError(refuseError), FALSE;
  return reinterpret_cast<decltype(&ReadFile)>(realReadFile)(file, buffer, count, read, overlapped);
}

}  // namespace

TEST_F(DiskFileTest, CreateOpenAndDestruction) {
  WriteBytes(Path(L"kept"), "old contents");
  {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(L"kept")));
    EXPECT_TRUE(file.Write("abc", 3));
    EXPECT_TRUE(file.Close());
  }
  EXPECT_EQ("abc", ReadBytes(Path(L"kept")));
  {
    DiskFile created, opened;
    ASSERT_TRUE(created.Create(Path(L"dropped")));
    EXPECT_TRUE(created.Write("abc", 3));
    ASSERT_TRUE(opened.Open(Path(L"kept"), false));
  }
  EXPECT_FALSE(PathExists(Path(L"dropped")));
  EXPECT_EQ("abc", ReadBytes(Path(L"kept")));
  UniqueFile writer(
      CreateFileW(Path(L"kept").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  DiskFile shared, exclusive;
  EXPECT_FALSE(exclusive.Open(Path(L"kept"), false));
  EXPECT_TRUE(shared.Open(Path(L"kept"), true));
}

TEST_F(DiskFileTest, RefusedReadsAndTheEnd) {
  WriteBytes(Path(L"big"), std::string(100000, 'b'));
  static char buffer[65536];
  DiskFile file, failing;
  ASSERT_TRUE(file.Open(Path(L"big"), false));
  ASSERT_TRUE(failing.Open(Path(L"big"), false));
  {
    ScopedImportPatch patch("ReadFile", reinterpret_cast<void*>(RefusingReadFile));
    ASSERT_TRUE(patch.Patched());
    realReadFile = patch.Original();
    refuseError = ERROR_LOCK_VIOLATION;
    EXPECT_EQ(32768, file.Read(buffer, 65536));
    refuseError = ERROR_ACCESS_DENIED;  // not retried
    EXPECT_EQ(0, failing.Read(buffer, 65536));
  }
  EXPECT_EQ(0, failing.Read(buffer, 100));  // the cause has gone, the failure stays
  EXPECT_EQ(65536, file.Read(buffer, 65536));
  EXPECT_EQ(100000 - 32768 - 65536, file.Read(buffer, 65536));
  EXPECT_EQ(0, file.Read(buffer, 65536));
}
