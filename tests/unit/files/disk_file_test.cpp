#include "files/disk_file.h"

#include <gtest/gtest.h>

#include "files/file_system.h"
#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

class DiskFileTest : public TempFolderTest {};

// Wine refuses no read for its size: while patched, reads above 32768 bytes fail
// with the chosen error.
DWORD refusalError = 0;
void* realReadFile = nullptr;

BOOL WINAPI RefusingReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped) {
  if (count > 32768) {
    SetLastError(refusalError);
    return FALSE;
  }
  return reinterpret_cast<decltype(&ReadFile)>(realReadFile)(file, buffer, count, read, overlapped);
}

class RefusedRead : public DiskFileTest {
 protected:
  void SetUp() override {
    DiskFileTest::SetUp();
    WriteBytes(Path(L"big"), std::string(100000, 'b'));
    ASSERT_TRUE(file_.Open(Path(L"big"), false));
  }
  // Reads once while reads above 32768 bytes fail with `error`.
  int64_t ReadRefused(DWORD error) {
    ScopedImportPatch patch("ReadFile", reinterpret_cast<void*>(RefusingReadFile));
    realReadFile = patch.Original();
    EXPECT_TRUE(patch.Patched());
    refusalError = error;
    return file_.Read(buffer_, sizeof buffer_);
  }
  DiskFile file_;
  static inline char buffer_[65536];
};

}  // namespace

TEST_F(DiskFileTest, CreateReplacesTheContentsOfAFile) {
  WriteBytes(Path(L"kept"), "old contents");
  DiskFile file;
  ASSERT_TRUE(file.Create(Path(L"kept")));
  ASSERT_TRUE(file.Write("abc", 3));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ("abc", ReadBytes(Path(L"kept")));
}

TEST_F(DiskFileTest, ACreatedFileLeftOpenIsRemoved) {
  {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(L"dropped")));
    ASSERT_TRUE(file.Write("abc", 3));
  }
  EXPECT_FALSE(PathExists(Path(L"dropped")));
}

TEST_F(DiskFileTest, AnOpenedFileLeftOpenIsKept) {
  WriteBytes(Path(L"kept"), "abc");
  {
    DiskFile file;
    ASSERT_TRUE(file.Open(Path(L"kept"), false));
  }
  EXPECT_EQ("abc", ReadBytes(Path(L"kept")));
}

TEST_F(DiskFileTest, AFileBeingWrittenOpensOnlyWhenSharedForWriting) {
  WriteBytes(Path(L"kept"), "abc");
  UniqueFile writer(
      CreateFileW(Path(L"kept").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  EXPECT_FALSE(DiskFile().Open(Path(L"kept"), false));
  EXPECT_TRUE(DiskFile().Open(Path(L"kept"), true));
}

TEST_F(RefusedRead, ReadingGoesOnToTheEndAfterARetriedRead) {
  ASSERT_EQ(32768, ReadRefused(ERROR_LOCK_VIOLATION));
  EXPECT_EQ(65536, file_.Read(buffer_, sizeof buffer_));
  EXPECT_EQ(100000 - 32768 - 65536, file_.Read(buffer_, sizeof buffer_));
  EXPECT_EQ(0, file_.Read(buffer_, sizeof buffer_));
}

TEST_F(RefusedRead, AfterAFailedReadEveryReadGivesNothing) {
  ASSERT_EQ(0, ReadRefused(ERROR_ACCESS_DENIED));
  EXPECT_EQ(0, file_.Read(buffer_, 100));
}
