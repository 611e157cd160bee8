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
  const struct {
    const wchar_t* parent;  // a folder of its own for the row
    const wchar_t* name;
  } rows[] = {{L"space", L"folder "}, {L"dot", L"folder."}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.name));
    ASSERT_EQ(kFolderMade, MakeFolder(Path(row.parent)));
    ASSERT_EQ(kFolderMade, MakeFolder(Path(row.parent) + L"\\" + row.name));
    EXPECT_EQ(row.name + std::wstring(L"|"), Entries(Path(row.parent)));
  }
}
