// Windows drops a last space of a plain name: files and folders whose names end
// in one are made through the long-path form, under exactly their name.
#include <gtest/gtest.h>
#include <windows.h>

#include "files/disk_file.h"
#include "files/file_system.h"
#include "support/temp_folder.h"

namespace {

// The name of the single entry of a folder as the file system lists it.
std::wstring OnlyEntry(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW(Long(folder + L"\\*").c_str(), &data));
  std::wstring name;
  if (!find) return L"<none>";
  do {
    if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L"..")) name += data.cFileName + std::wstring(L"|");
  } while (FindNextFileW(find.get(), &data));
  return name;
}

}  // namespace

class TrailingSpace : public TempFolderTest {};

TEST_F(TrailingSpace, CreatedFileKeepsIt) {
  DiskFile file;
  ASSERT_TRUE(file.Create(Path(L"name ")));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(L"name |", OnlyEntry(root_));
}

TEST_F(TrailingSpace, MadeFolderKeepsIt) {
  ASSERT_EQ(kFolderMade, MakeFolder(Path(L"folder ")));
  EXPECT_EQ(L"folder |", OnlyEntry(root_));
}
