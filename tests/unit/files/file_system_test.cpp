#include "files/file_system.h"

#include <gtest/gtest.h>

#include <set>
#include <type_traits>

#include "files/disk_file.h"
#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

// Windows refuses plain names of MAX_PATH or more to programs not long-path aware; Wine does not (I: one per function).
int refused = 0;
template <int I, typename R, typename... A>
ScopedImportPatch Limit(const char* name, R(WINAPI* real)(LPCWSTR, A...)) {
  static R(WINAPI* original)(LPCWSTR, A...) = real;
  R (*limited)(LPCWSTR, A...) = [](LPCWSTR path, A... rest) -> R {
    if (!path || wcslen(path) < MAX_PATH || wcsncmp(path, L"\\\\?\\", 4) == 0) return original(path, rest...);
    SetLastError(ERROR_PATH_NOT_FOUND);
    return ++refused, std::is_same_v<R, BOOL> ? (R)0 : (R)-1;  // FALSE, INVALID_HANDLE_VALUE or _FILE_ATTRIBUTES
  };
  return ScopedImportPatch(name, reinterpret_cast<void*>(limited));
}

// Wine refuses no read for its size: while patched, reads above 32768 bytes fail.
DWORD refuseError = 0;
void* realReadFile = nullptr;
BOOL WINAPI RefusingReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped) {
  if (count > 32768) return SetLastError(refuseError), FALSE;
  return reinterpret_cast<decltype(&ReadFile)>(realReadFile)(file, buffer, count, read, overlapped);
}

// The names found, and "<error>" when the search ended by an error.
std::set<std::wstring> Find(const std::wstring& mask) {
  std::set<std::wstring> names;
  FileFinder finder;
  FoundFile found;
  for (finder.SetMask(mask); finder.Next(found);) names.insert(found.Name);
  if (found.Error) names.insert(L"<error>");
  return names;
}

}  // namespace

TEST_F(TempFolderTest, FilesAndFolders) {
  WriteBytes(Path(L"full\\ro.txt"), "abc");
  WriteBytes(Path(L"tree\\a\\b\\deep.txt"), "1");
  ASSERT_TRUE(SetFileAttributesW(Path(L"full\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(RemoveFile(Path(L"full\\ro.txt")));
  EXPECT_FALSE(RemoveFolder(Path(L"full")));
  EXPECT_EQ(kFolderFailed, MakeFolder(Path(L"full")));
  EXPECT_EQ(kFolderBadPath, MakeFolder(Path(L"missing\\child")));
  EXPECT_EQ(kFolderMade, MakeFolder(Path(L"empty")));
  EXPECT_EQ(kFolderMade, MakeFolder(Path(L"dir.")));  // a plain call would make "dir"
  EXPECT_EQ((std::set<std::wstring>{Path(L"dir."), Path(L"empty"), Path(L"full"), Path(L"tree")}), Find(Path(L"*")));
  for (const wchar_t* mask : {L"empty\\*", L"nowhere\\*"})  // neither is an error; "." and ".." never come
    EXPECT_EQ(std::set<std::wstring>{}, Find(Path(mask))) << mask;
  FoundFile found;
  ASSERT_TRUE(FindOne(Path(L"full\\ro.txt"), found));
  EXPECT_FALSE(FindOne(Path(L"full\\ro.*"), found));
  EXPECT_TRUE(ClearPathAttributes(Path(L"full\\ro.txt")));
  EXPECT_TRUE(RemoveFile(Path(L"full\\ro.txt")));
  EXPECT_TRUE(RemoveFolder(Path(L"full")));
  RemoveFolderTree(Path(L"tree"));
  EXPECT_EQ((std::set<std::wstring>{Path(L"dir."), Path(L"empty")}), Find(Path(L"*")));
  // Wine shows a unix symbolic link as a folder link but cannot make or remove one: ln and rm do.
  WriteBytes(Path(L"target\\inside.txt"), "3");
  auto unix = [&](const wchar_t* tool, const wchar_t* args, bool present) {
    ChildProcess process;
    if (!process.Start(std::wstring(L"Z:\\bin\\") + tool, args, root_)) return false;
    for (int i = 0; i < 100 && PathExists(Path(L"link")) != present; ++i) Sleep(50);
    return PathExists(Path(L"link")) == present;
  };
  if (!unix(L"ln", L"-s target link", true)) GTEST_SKIP() << "no folder links here";
  EXPECT_TRUE(IsLinkAttr(GetPathAttributes(Path(L"link"))));
  RemoveFolderTree(Path(L"link"));
  EXPECT_TRUE(PathExists(Path(L"link")));
  EXPECT_TRUE(PathExists(Path(L"target\\inside.txt")));
  EXPECT_TRUE(unix(L"rm", L"link", false));
}

TEST_F(TempFolderTest, DeepPathsWorkThroughTheLongForm) {
  std::wstring deep = root_;
  for (wchar_t c = L'a'; deep.size() < 300; ++c) deep += L"\\" + std::wstring(40, c);
  WriteBytes(deep + L"\\file", "12345");
  refused = 0;
  ScopedImportPatch limit[] = {
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

TEST_F(TempFolderTest, DiskFiles) {
  WriteBytes(Path(L"kept"), "old contents");
  {
    DiskFile created, dropped, opened;
    ASSERT_TRUE(created.Create(Path(L"kept")) && created.Write("abc", 3) && created.Close());
    ASSERT_TRUE(dropped.Create(Path(L"dropped")) && dropped.Write("abc", 3));
    ASSERT_TRUE(opened.Open(Path(L"kept"), false));
  }
  EXPECT_FALSE(PathExists(Path(L"dropped")));  // created and never closed
  EXPECT_EQ("abc", ReadBytes(Path(L"kept")));
  UniqueFile writer(
      CreateFileW(Path(L"kept").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  EXPECT_FALSE(DiskFile().Open(Path(L"kept"), false));
  EXPECT_TRUE(DiskFile().Open(Path(L"kept"), true));
  WriteBytes(Path(L"big"), std::string(100000, 'b'));
  static char buffer[65536];
  DiskFile file, failing;
  ASSERT_TRUE(file.Open(Path(L"big"), false) && failing.Open(Path(L"big"), false));
  {
    ScopedImportPatch patch("ReadFile", reinterpret_cast<void*>(RefusingReadFile));
    ASSERT_NE(nullptr, realReadFile = patch.Original());
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
