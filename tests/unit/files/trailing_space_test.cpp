// Windows drops a last space or dot of a plain name: files and folders whose names
// end in one are made through the long-path form, under exactly their name.
#include <gtest/gtest.h>
#include <windows.h>

#include "files/disk_file.h"
#include "files/file_system.h"
#include "support/temp_folder.h"

namespace {

// The names of a folder's entries as the file system lists them, each followed by '|'.
std::wstring Entries(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW(Long(folder + L"\\*").c_str(), &data));
  std::wstring names;
  if (!find) return L"<none>";
  do {
    if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L"..")) names += data.cFileName + std::wstring(L"|");
  } while (FindNextFileW(find.get(), &data));
  return names;
}

}  // namespace

class TrailingSpaceOrDot : public TempFolderTest {};

TEST_F(TrailingSpaceOrDot, CreatedFileKeepsIt) {
  DiskFile file;
  ASSERT_TRUE(file.Create(Path(L"name ")));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(L"name |", Entries(root_));
}

TEST_F(TrailingSpaceOrDot, MadeFolderKeepsIt) {
  ASSERT_EQ(kFolderMade, MakeFolder(Path(L"folder.")));
  EXPECT_EQ(L"folder.|", Entries(root_));
}
