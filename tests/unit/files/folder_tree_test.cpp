#include <gtest/gtest.h>
#include <windows.h>

#include "files/file_system.h"
#include "support/temp_folder.h"
#include "support/unix_link.h"

class FolderTree : public TempFolderTest {};

TEST_F(FolderTree, EverythingInsideIsDeleted) {
  WriteBytes(Path(L"tree\\a\\b\\deep.txt"), "1");
  WriteBytes(Path(L"tree\\top.txt"), "2");
  ASSERT_TRUE(SetFileAttributesW(Path(L"tree\\top.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveFolderTree(Path(L"tree"));
  EXPECT_FALSE(PathExists(Path(L"tree")));
}

TEST_F(FolderTree, TopFolderThatIsALinkIsLeftWithItsTarget) {
  WriteBytes(Path(L"outside\\kept.txt"), "5");
  ScopedUnixLink link(Path(L"outside"), Path(L"link"));
  if (!link.Made()) GTEST_SKIP() << "no folder links here";
  RemoveFolderTree(Path(L"link"));
  EXPECT_TRUE(PathExists(Path(L"outside\\kept.txt")));
}
