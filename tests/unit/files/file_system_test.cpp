#include "files/file_system.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "environment/paths.h"
#include "files/disk_file.h"
#include "support/wine_program.h"
#include "unit/files/path_limit.h"
#include "support/temp_folder.h"

namespace {

class FileSystemTest : public TempFolderTest {};

// The names in a folder as the file system lists them (long form, so that names
// ending with a dot or a space show as they are).
std::set<std::wstring> ListNames(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW((Long(folder) + L"\\*").c_str(), &data));
  if (!find) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.insert(name);
  } while (FindNextFileW(find.get(), &data));
  return names;
}

std::set<std::wstring> ListWithFinder(const std::wstring& mask, bool* error = nullptr) {
  std::set<std::wstring> names;
  FileFinder finder;
  finder.SetMask(mask);
  FoundFile found;
  while (finder.Next(found)) names.insert(found.Name);
  if (error) *error = found.Error;
  return names;
}

// Wine only: runs a unix tool (under /bin) on unix names made from Windows names.
bool RunUnixTool(const wchar_t* tool, const wchar_t* options, const std::vector<std::wstring>& names) {
  using GetUnixName = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<GetUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!toUnix) return false;
  std::wstring args = options;
  for (const std::wstring& name : names) {
    char* unixName = toUnix(name.c_str());
    if (!unixName) return false;
    args += L" " + std::wstring(unixName, unixName + strlen(unixName));
    HeapFree(GetProcessHeap(), 0, unixName);
  }
  ChildProcess process;
  return process.Start(std::wstring(L"Z:\\bin\\") + tool, args);
}

// Waiting for a unix process returns at once: watch for the effect instead.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 100 && !done(); ++i) Sleep(50);
  return done();
}

bool IsFolderLink(const std::wstring& path) {
  DWORD attributes = GetPathAttributes(path);
  return IsFolderAttr(attributes) && IsLinkAttr(attributes);
}

// CreateSymbolicLinkW makes a folder link on Windows (given the right to); Wine 8
// only pretends to, but it shows a unix symbolic link as a reparse point and cannot
// remove one.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
  CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
  if (IsFolderLink(link)) return true;
  return RunUnixTool(L"ln", L"-s", {target, link}) && WaitFor([&] { return IsFolderLink(link); });
}

void RemoveFolderLink(const std::wstring& link) {
  if (RemoveFolder(link) || RemoveFile(link)) return;
  if (RunUnixTool(L"rm", L"-f", {link})) WaitFor([&] { return !PathExists(link); });
}

}  // namespace

TEST_F(FileSystemTest, AttributesGuardRemoval) {
  std::wstring file = Path(L"ro.txt");
  WriteBytes(file, "x");
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(RemoveFile(file));
  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(ClearPathAttributes(file));
  EXPECT_EQ(0u, GetPathAttributes(file) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_FALSE(PathExists(file));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetPathAttributes(file));
  EXPECT_FALSE(RemoveFile(file));
  EXPECT_FALSE(ClearPathAttributes(file));

  // The invalid value counts as a link but never as a folder.
  EXPECT_TRUE(IsLinkAttr(INVALID_FILE_ATTRIBUTES));
  EXPECT_FALSE(IsFolderAttr(INVALID_FILE_ATTRIBUTES));
  EXPECT_TRUE(IsFolderAttr(GetPathAttributes(root_)));
}

TEST_F(FileSystemTest, FoldersAreRemovedOnlyWhenEmpty) {
  std::wstring folder = Path(L"full");
  ASSERT_EQ(kFolderMade, MakeFolder(folder));
  WriteBytes(folder + L"\\f", "x");
  EXPECT_FALSE(RemoveFolder(folder));
  EXPECT_TRUE(PathExists(folder + L"\\f"));
  ASSERT_TRUE(RemoveFile(folder + L"\\f"));
  EXPECT_TRUE(RemoveFolder(folder));
  EXPECT_FALSE(PathExists(folder));
}

TEST_F(FileSystemTest, MakeFolderMakesOneLevel) {
  EXPECT_EQ(kFolderMade, MakeFolder(Path(L"new")));
  EXPECT_TRUE(IsFolderAttr(GetPathAttributes(Path(L"new"))));
  EXPECT_EQ(kFolderFailed, MakeFolder(Path(L"new")));
  EXPECT_FALSE(MakeFolderOk(Path(L"new")));
  EXPECT_EQ(kFolderBadPath, MakeFolder(Path(L"missing\\child")));
  EXPECT_FALSE(PathExists(Path(L"missing")));
  WriteBytes(Path(L"file"), "x");
  EXPECT_EQ(kFolderFailed, MakeFolder(Path(L"file")));
  EXPECT_FALSE(IsFolderAttr(GetPathAttributes(Path(L"file"))));
  EXPECT_NE(kFolderMade, MakeFolder(L""));
}

// Windows drops a last dot or space of a plain name: "dir." reaches "dir". Only the
// long form reaches such names, so every step here depends on the retry.
TEST_F(FileSystemTest, NamesEndingWithDotOrSpaceWorkThroughTheLongForm) {
  std::wstring dotted = Path(L"dir.");
  EXPECT_EQ(kFolderMade, MakeFolder(dotted));
  EXPECT_EQ(kFolderMade, MakeFolder(Path(L"sp ")));
  EXPECT_EQ((std::set<std::wstring>{L"dir.", L"sp "}), ListNames(root_));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dotted.c_str()));  // the plain call fails
  EXPECT_TRUE(IsFolderAttr(GetPathAttributes(dotted)));
  EXPECT_EQ(kFolderFailed, MakeFolder(dotted));

  FoundFile found;
  ASSERT_TRUE(FindOne(dotted, found));
  EXPECT_TRUE(found.IsDir);
  EXPECT_EQ(dotted, found.Name);
  WriteBytes(dotted + L"\\in.", "abc");
  EXPECT_EQ(std::set<std::wstring>{dotted + L"\\in."}, ListWithFinder(dotted + L"\\*"));
  EXPECT_TRUE(ClearPathAttributes(dotted + L"\\in."));
  EXPECT_TRUE(RemoveFile(dotted + L"\\in."));
  EXPECT_TRUE(RemoveFolder(dotted));

  // A relative name gets its long form from the current folder.
  std::wstring saved;
  ASSERT_TRUE(GetCurrentFolder(saved));
  ASSERT_TRUE(SetCurrentFolder(root_));
  EXPECT_EQ(kFolderMade, MakeFolder(L"rel."));
  EXPECT_TRUE(PathExists(L".\\rel."));
  EXPECT_TRUE(RemoveFolder(L"rel."));
  SetCurrentFolder(saved);
  EXPECT_EQ(std::set<std::wstring>{L"sp "}, ListNames(root_));
}

// Wine accepts plain names of any length, so the limit of Windows is put back here
// for the code under test: a plain name of 260 characters or more is refused.
TEST_F(FileSystemTest, PathsBeyondTheClassicLimitWorkThroughTheLongForm) {
  std::wstring deep = root_;
  for (wchar_t c = L'a'; deep.size() < 300; ++c) {
    deep += L"\\" + std::wstring(40, c);
    ASSERT_TRUE(CreateDirectoryW(Long(deep).c_str(), nullptr));
  }
  WindowsPathLimit limit;
  ASSERT_TRUE(limit.AllPatched());
  std::wstring file = deep + L"\\file.txt";
  {
    DiskFile out;
    ASSERT_TRUE(out.Create(file));
    ASSERT_TRUE(out.Write("12345", 5));
    EXPECT_TRUE(out.Close());
  }
  EXPECT_EQ(kFolderMade, MakeFolder(deep + L"\\sub"));
  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(IsFolderAttr(GetPathAttributes(deep + L"\\sub")));

  FoundFile found;
  ASSERT_TRUE(FindOne(file, found));
  EXPECT_EQ(5u, found.Size);
  EXPECT_EQ((std::set<std::wstring>{file, deep + L"\\sub"}), ListWithFinder(deep + L"\\*"));
  {
    DiskFile in;
    ASSERT_TRUE(in.Open(file, false));
    char buffer[16] = {};
    EXPECT_EQ(5, in.Read(buffer, sizeof buffer));
    EXPECT_STREQ("12345", buffer);
  }
  ASSERT_TRUE(SetFileAttributesW(Long(file).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(ClearPathAttributes(file));
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_TRUE(RemoveFolder(deep + L"\\sub"));
  EXPECT_FALSE(PathExists(file));
  EXPECT_TRUE(ListNames(deep).empty());
  EXPECT_GE(WindowsPathLimit::Refused(), 12);  // the plain calls really failed
}

TEST_F(FileSystemTest, FinderListsEveryEntryButDotEntries) {
  WriteBytes(Path(L"a.txt"), "abc");
  ASSERT_TRUE(MakeFolderOk(Path(L"sub")));
  ASSERT_TRUE(MakeFolderOk(Path(L"empty")));
  FileFinder finder;
  finder.SetMask(Path(L"*"));
  FoundFile found;
  int count = 0;
  while (finder.Next(found)) {
    ++count;
    EXPECT_EQ(root_ + L"\\", GetFolderPart(found.Name));
    if (found.Name == Path(L"a.txt")) {
      EXPECT_EQ(3u, found.Size);
      EXPECT_FALSE(found.IsDir);
      ULARGE_INTEGER written{{found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime}};
      EXPECT_EQ(written.QuadPart * 100, found.mtime);
      EXPECT_NE(0u, found.mtime);
    } else {
      EXPECT_TRUE(found.IsDir) << found.Name;
    }
  }
  EXPECT_EQ(3, count);
  EXPECT_FALSE(found.Error);
  EXPECT_FALSE(finder.Next(found));  // stays at the end

  bool error = true;
  EXPECT_TRUE(ListWithFinder(Path(L"empty\\*"), &error).empty());
  EXPECT_FALSE(error);
  EXPECT_TRUE(ListWithFinder(Path(L"nowhere\\*"), &error).empty());
  EXPECT_FALSE(error);
  EXPECT_TRUE(ListWithFinder(L"", &error).empty());
  EXPECT_EQ((std::set<std::wstring>{Path(L"a.txt")}), ListWithFinder(Path(L"*.txt")));

  // A finder given a new mask starts again.
  finder.SetMask(Path(L"a.*"));
  ASSERT_TRUE(finder.Next(found));
  EXPECT_EQ(Path(L"a.txt"), found.Name);
}

TEST_F(FileSystemTest, FindOneLooksUpOneExactName) {
  WriteBytes(Path(L"one.bin"), std::string(1000, 'z'));
  FoundFile found;
  ASSERT_TRUE(FindOne(Path(L"one.bin"), found));
  EXPECT_EQ(1000u, found.Size);
  EXPECT_EQ(Path(L"one.bin"), found.Name);
  found.Error = true;
  EXPECT_FALSE(FindOne(Path(L"one.*"), found));  // a wildcard is not searched for
  EXPECT_FALSE(found.Error);
  EXPECT_FALSE(FindOne(Path(L"o?e.bin"), found));
  EXPECT_FALSE(FindOne(Path(L"none.bin"), found));
  EXPECT_FALSE(found.Error);
  EXPECT_FALSE(FindOne(Path(L"none\\x"), found));
  EXPECT_FALSE(found.Error);
}

TEST_F(FileSystemTest, RemoveFolderTreeDeletesFoldersOnly) {
  WriteBytes(Path(L"tree\\a\\b\\deep.txt"), "1");
  WriteBytes(Path(L"tree\\ro.txt"), "2");
  SetFileAttributesW(Path(L"tree\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteBytes(Path(L"keep.txt"), "3");
  RemoveFolderTree(Path(L"tree"));
  EXPECT_FALSE(PathExists(Path(L"tree")));
  RemoveFolderTree(Path(L"keep.txt"));
  EXPECT_TRUE(PathExists(Path(L"keep.txt")));
  RemoveFolderTree(Path(L"missing"));
  EXPECT_EQ(std::set<std::wstring>{L"keep.txt"}, ListNames(root_));

  // A link to a folder is neither removed nor followed.
  WriteBytes(Path(L"target\\inside.txt"), "4");
  if (!MakeFolderLink(Path(L"link"), Path(L"target"))) GTEST_SKIP() << "no folder links here";
  RemoveFolderTree(Path(L"link"));
  EXPECT_TRUE(PathExists(Path(L"link")));
  EXPECT_TRUE(PathExists(Path(L"target\\inside.txt")));
  RemoveFolderLink(Path(L"link"));
}

TEST_F(FileSystemTest, StreamsOpenWithoutRetry) {
  {
    UniqueStream out = OpenStream(Path(L"s.dat"), L"wb");
    ASSERT_TRUE(out);
    fwrite("data", 1, 4, out.get());
  }
  UniqueStream in = OpenStream(Path(L"s.dat"), L"rb");
  ASSERT_TRUE(in);
  char buffer[8] = {};
  EXPECT_EQ(4u, fread(buffer, 1, sizeof buffer, in.get()));
  EXPECT_STREQ("data", buffer);
  EXPECT_FALSE(OpenStream(Path(L"none.dat"), L"rb"));
}
