#include "files/file_system.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <type_traits>

#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

// Windows refuses plain names of MAX_PATH characters or more to programs that are not
// long-path aware; Wine does not, so the code under test gets it here (I: one per function).
int refused = 0;
template <int I, typename R, typename... A>
std::unique_ptr<ScopedImportPatch> Limit(const char* name, R(WINAPI*)(LPCWSTR, A...)) {
  static void* original = nullptr;
  R (*limited)(LPCWSTR, A...) = [](LPCWSTR path, A... rest) -> R {
    if (!path || wcslen(path) < MAX_PATH || wcsncmp(path, L"\\\\?\\", 4) == 0)
      return reinterpret_cast<R(WINAPI*)(LPCWSTR, A...)>(original)(path, rest...);
    ++refused;
    SetLastError(ERROR_PATH_NOT_FOUND);
    if constexpr (std::is_same_v<R, BOOL>) return FALSE;
    else return (R)-1;  // INVALID_FILE_ATTRIBUTES, INVALID_HANDLE_VALUE
  };
  auto patch = std::make_unique<ScopedImportPatch>(name, reinterpret_cast<void*>(limited));
  original = patch->Original();
  return patch;
}

// Wine shows a unix symbolic link as a folder link but cannot make or remove one: the
// unix tool run in `folder` does, and its end shows only in its effect on `name`.
bool Unix(const wchar_t* tool, const wchar_t* args, const std::wstring& folder, const std::wstring& name,
          bool present) {
  ChildProcess process;
  if (!process.Start(std::wstring(L"Z:\\bin\\") + tool, args, folder)) return false;
  for (int i = 0; i < 100 && PathExists(name) != present; ++i) Sleep(50);
  return PathExists(name) == present;
}

std::set<std::wstring> Find(const std::wstring& mask, bool* error = nullptr) {
  std::set<std::wstring> names;
  FileFinder finder;
  finder.SetMask(mask);
  FoundFile found;
  while (finder.Next(found)) names.insert(found.Name);
  if (error) *error = found.Error;
  return names;
}

}  // namespace

class FileSystemTest : public TempFolderTest {};

TEST_F(FileSystemTest, FilesAndFolders) {
  WriteBytes(Path(L"full\\ro.txt"), "abc");
  ASSERT_TRUE(SetFileAttributesW(Path(L"full\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(RemoveFile(Path(L"full\\ro.txt")));
  EXPECT_FALSE(RemoveFolder(Path(L"full")));
  EXPECT_EQ(kFolderFailed, MakeFolder(Path(L"full")));
  EXPECT_EQ(kFolderBadPath, MakeFolder(Path(L"missing\\child")));
  EXPECT_EQ(kFolderMade, MakeFolder(Path(L"empty")));
  EXPECT_EQ(kFolderMade, MakeFolder(Path(L"dir.")));  // a plain call would make "dir"
  EXPECT_EQ((std::set<std::wstring>{Path(L"dir."), Path(L"empty"), Path(L"full")}), Find(Path(L"*")));
  for (const wchar_t* mask : {L"empty\\*", L"nowhere\\*"}) {  // neither is an error; "." and ".." never come
    bool error = true;
    EXPECT_EQ(std::set<std::wstring>{}, Find(Path(mask), &error)) << mask;
    EXPECT_FALSE(error) << mask;
  }
  FoundFile found;
  ASSERT_TRUE(FindOne(Path(L"full\\ro.txt"), found));
  EXPECT_FALSE(FindOne(Path(L"full\\ro.*"), found));
  EXPECT_TRUE(ClearPathAttributes(Path(L"full\\ro.txt")));
  EXPECT_TRUE(RemoveFile(Path(L"full\\ro.txt")));
  EXPECT_TRUE(RemoveFolder(Path(L"full")));
}

TEST_F(FileSystemTest, DeepPathsWorkThroughTheLongForm) {
  std::wstring deep = root_;
  for (wchar_t c = L'a'; deep.size() < 300; ++c) deep += L"\\" + std::wstring(40, c);
  WriteBytes(deep + L"\\file", "12345");
  refused = 0;
  std::unique_ptr<ScopedImportPatch> limit[] = {
      Limit<0>("GetFileAttributesW", &GetFileAttributesW), Limit<1>("CreateDirectoryW", &CreateDirectoryW),
      Limit<2>("DeleteFileW", &DeleteFileW), Limit<3>("RemoveDirectoryW", &RemoveDirectoryW),
      Limit<4>("FindFirstFileW", &FindFirstFileW)};
  EXPECT_EQ(kFolderMade, MakeFolder(deep + L"\\sub"));
  EXPECT_TRUE(IsFolderAttr(GetPathAttributes(deep + L"\\sub")));
  EXPECT_EQ((std::set<std::wstring>{deep + L"\\file", deep + L"\\sub"}), Find(deep + L"\\*"));
  EXPECT_TRUE(RemoveFile(deep + L"\\file"));
  EXPECT_TRUE(RemoveFolder(deep + L"\\sub"));
  EXPECT_EQ(std::set<std::wstring>{}, Find(deep + L"\\*"));
  EXPECT_GE(refused, 6);  // every plain call was refused first
}

TEST_F(FileSystemTest, RemoveFolderTreeDeletesFoldersButNoLinks) {
  WriteBytes(Path(L"tree\\a\\b\\deep.txt"), "1");
  RemoveFolderTree(Path(L"tree"));
  EXPECT_EQ(std::set<std::wstring>{}, Find(Path(L"*")));
  WriteBytes(Path(L"target\\inside.txt"), "3");
  if (!Unix(L"ln", L"-s target link", root_, Path(L"link"), true)) GTEST_SKIP() << "no folder links here";
  EXPECT_TRUE(IsLinkAttr(GetPathAttributes(Path(L"link"))));
  RemoveFolderTree(Path(L"link"));
  EXPECT_TRUE(PathExists(Path(L"link")));
  EXPECT_TRUE(PathExists(Path(L"target\\inside.txt")));
  EXPECT_TRUE(Unix(L"rm", L"link", root_, Path(L"link"), false));
}
