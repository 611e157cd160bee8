#include "files/disk_file.h"

#include <gtest/gtest.h>

#include "files/file_system.h"
#include "support/temp_folder.h"

class DiskFileTest : public TempFolderTest {};

TEST_F(DiskFileTest, ACreatedFileLeftOpenIsRemoved) {
  {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(L"dropped")));
    ASSERT_TRUE(file.Write("abc", 3));
  }
  EXPECT_FALSE(PathExists(Path(L"dropped")));
}
