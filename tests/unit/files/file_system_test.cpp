#include "files/file_system.h"

#include <gtest/gtest.h>

#include <set>
#include <type_traits>

#include "support/import_patch.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

namespace {

// The names found, and "<error>" when the search ended by an error.
std::set<std::wstring> Find(const std::wstring& mask) {
  std::set<std::wstring> names;
  FileFinder finder;
  FoundFile found;
  finder.SetMask(mask);
  while (finder.Next(found)) names.insert(found.Name);
  if (found.Error) names.insert(L"<error>");
  return names;
}

class FileSystem : public TempFolderTest {};

}  // namespace

TEST_F(FileSystem, AReadOnlyFileIsNotRemoved) {
  WriteBytes(Path(L"ro.txt"), "abc");
  ASSERT_TRUE(SetFileAttributesW(Path(L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(RemoveFile(Path(L"ro.txt")));
  EXPECT_TRUE(PathExists(Path(L"ro.txt")));
}

TEST_F(FileSystem, AFileWithClearedAttributesIsRemoved) {
  WriteBytes(Path(L"ro.txt"), "abc");
  ASSERT_TRUE(SetFileAttributesW(Path(L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(ClearPathAttributes(Path(L"ro.txt")));
  EXPECT_TRUE(RemoveFile(Path(L"ro.txt")));
  EXPECT_FALSE(PathExists(Path(L"ro.txt")));
}

TEST_F(FileSystem, AFolderWithAFileIsNotRemoved) {
  WriteBytes(Path(L"full\\f.txt"), "abc");
  EXPECT_FALSE(RemoveFolder(Path(L"full")));
  EXPECT_TRUE(PathExists(Path(L"full")));
}

TEST_F(FileSystem, AnEmptyFolderIsRemoved) {
  ASSERT_TRUE(CreateDirectoryW(Path(L"empty").c_str(), nullptr));
  EXPECT_TRUE(RemoveFolder(Path(L"empty")));
  EXPECT_FALSE(PathExists(Path(L"empty")));
}

TEST_F(FileSystem, MakingAFolderThatExistsFails) {
  ASSERT_TRUE(CreateDirectoryW(Path(L"there").c_str(), nullptr));
  EXPECT_EQ(kFolderFailed, MakeFolder(Path(L"there")));
}

TEST_F(FileSystem, MakingAFolderWithoutItsParentIsABadPath) {
  EXPECT_EQ(kFolderBadPath, MakeFolder(Path(L"missing\\child")));
}

TEST_F(FileSystem, AFolderNameEndingInADotKeepsTheDot) {
  EXPECT_EQ(kFolderMade, MakeFolder(Path(L"dir.")));
  EXPECT_EQ(std::set<std::wstring>{Path(L"dir.")}, Find(Path(L"*")));
}

TEST_F(FileSystem, TheFinderListsEveryEntryByItsFullName) {
  WriteBytes(Path(L"a.txt"), "1");
  ASSERT_TRUE(CreateDirectoryW(Path(L"sub").c_str(), nullptr));
  EXPECT_EQ((std::set<std::wstring>{Path(L"a.txt"), Path(L"sub")}), Find(Path(L"*")));
}

TEST_F(FileSystem, EmptyAndMissingFoldersListNothingWithoutAnError) {
  ASSERT_TRUE(CreateDirectoryW(Path(L"empty").c_str(), nullptr));
  for (const wchar_t* mask : {L"empty\\*", L"nowhere\\*"})
    EXPECT_EQ(std::set<std::wstring>{}, Find(Path(mask))) << testing::PrintToString(mask);
}

TEST_F(FileSystem, FindOneFindsAnExactPath) {
  WriteBytes(Path(L"ro.txt"), "abc");
  FoundFile found;
  ASSERT_TRUE(FindOne(Path(L"ro.txt"), found));
  EXPECT_EQ(Path(L"ro.txt"), found.Name);
  EXPECT_EQ(3u, found.Size);
}

TEST_F(FileSystem, FindOneRefusesAWildcard) {
  WriteBytes(Path(L"ro.txt"), "abc");
  FoundFile found;
  EXPECT_FALSE(FindOne(Path(L"ro.*"), found));
}

TEST_F(FileSystem, ATreeIsRemovedWithEverythingInIt) {
  WriteBytes(Path(L"tree\\a\\b\\deep.txt"), "1");
  ASSERT_TRUE(SetFileAttributesW(Path(L"tree\\a\\b\\deep.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveFolderTree(Path(L"tree"));
  EXPECT_FALSE(PathExists(Path(L"tree")));
}

// Wine shows a unix symbolic link as a folder link but cannot make or remove one:
// ln and rm do.
class FolderLink : public FileSystem {
 protected:
  bool RunUnixTool(const wchar_t* tool, const wchar_t* args, bool linkAfterwards) {
    ChildProcess process;
    if (!process.Start(std::wstring(L"Z:\\bin\\") + tool, args, root_)) return false;
    for (int i = 0; i < 100 && PathExists(Path(L"link")) != linkAfterwards; ++i) Sleep(50);
    return PathExists(Path(L"link")) == linkAfterwards;
  }
  void SetUp() override {
    FileSystem::SetUp();
    WriteBytes(Path(L"target\\inside.txt"), "3");
    if (!RunUnixTool(L"ln", L"-s target link", true)) GTEST_SKIP() << "no folder links here";
  }
  void TearDown() override { RunUnixTool(L"rm", L"link", false); }
};

TEST_F(FolderLink, ALinkIsSeenAsALink) { EXPECT_TRUE(IsLinkAttr(GetPathAttributes(Path(L"link")))); }

TEST_F(FolderLink, RemovingATreeLeavesALinkAndItsTarget) {
  RemoveFolderTree(Path(L"link"));
  EXPECT_TRUE(PathExists(Path(L"link")));
  EXPECT_TRUE(PathExists(Path(L"target\\inside.txt")));
}

namespace {

// Windows refuses plain names of MAX_PATH or more to programs that are not long-path
// aware; Wine does not. While patched, these calls refuse such names the same way.
int refusedCalls = 0;

template <int Slot, typename R, typename... Rest>
ScopedImportPatch RefuseLongPlainNames(const char* name, R(WINAPI* real)(LPCWSTR, Rest...)) {
  static R(WINAPI* original)(LPCWSTR, Rest...) = real;
  R (*limited)(LPCWSTR, Rest...) = [](LPCWSTR path, Rest... rest) -> R {
    if (!path || wcslen(path) < MAX_PATH || wcsncmp(path, L"\\\\?\\", 4) == 0) return original(path, rest...);
    SetLastError(ERROR_PATH_NOT_FOUND);
    ++refusedCalls;
    if constexpr (std::is_same_v<R, BOOL>)
      return FALSE;
    else
      return (R)-1;  // INVALID_HANDLE_VALUE or INVALID_FILE_ATTRIBUTES
  };
  return ScopedImportPatch(name, reinterpret_cast<void*>(limited));
}

// A folder more than 300 characters deep holding "file", with the plain calls refused.
class LongPath : public FileSystem {
 protected:
  void SetUp() override {
    FileSystem::SetUp();
    for (wchar_t c = L'a'; deep_.size() < 300; ++c) deep_ += L"\\" + std::wstring(40, c);
    WriteBytes(deep_ + L"\\file", "12345");
    refusedCalls = 0;
  }
  std::wstring deep_ = root_;
  ScopedImportPatch limits_[5] = {
      RefuseLongPlainNames<0>("GetFileAttributesW", &GetFileAttributesW),
      RefuseLongPlainNames<1>("CreateDirectoryW", &CreateDirectoryW),
      RefuseLongPlainNames<2>("DeleteFileW", &DeleteFileW),
      RefuseLongPlainNames<3>("RemoveDirectoryW", &RemoveDirectoryW),
      RefuseLongPlainNames<4>("FindFirstFileW", &FindFirstFileW)};
};

}  // namespace

TEST_F(LongPath, AttributesAreRead) {
  EXPECT_FALSE(IsFolderAttr(GetPathAttributes(deep_ + L"\\file")));
  EXPECT_TRUE(IsFolderAttr(GetPathAttributes(deep_)));
  EXPECT_GE(refusedCalls, 2) << "the plain calls were not refused first";
}

TEST_F(LongPath, AFolderIsMade) {
  EXPECT_EQ(kFolderMade, MakeFolder(deep_ + L"\\sub"));
  EXPECT_TRUE(PathExists(Long(deep_ + L"\\sub")));
  EXPECT_GE(refusedCalls, 1);
}

TEST_F(LongPath, AFolderIsListed) {
  EXPECT_EQ(std::set<std::wstring>{deep_ + L"\\file"}, Find(deep_ + L"\\*"));
  EXPECT_GE(refusedCalls, 1);
}

TEST_F(LongPath, AFileIsRemoved) {
  EXPECT_TRUE(RemoveFile(deep_ + L"\\file"));
  EXPECT_EQ("<missing>", ReadBytes(deep_ + L"\\file"));
  EXPECT_GE(refusedCalls, 1);
}

TEST_F(LongPath, AnEmptyFolderIsRemoved) {
  ASSERT_TRUE(CreateDirectoryW(Long(deep_ + L"\\sub").c_str(), nullptr));
  EXPECT_TRUE(RemoveFolder(deep_ + L"\\sub"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Long(deep_ + L"\\sub").c_str()));
  EXPECT_GE(refusedCalls, 1);
}
