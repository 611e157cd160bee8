#include "files/disk_file.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "files/file_system.h"
#include "unit/files/path_limit.h"
#include "support/temp_folder.h"

namespace {

class DiskFileTest : public TempFolderTest {};

// ReadFile replacements: refuse reads above a size with a given error.
DWORD refuseAbove = 0;
DWORD refuseError = 0;
ScopedImportPatch* readPatch = nullptr;
BOOL WINAPI RefusingReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped) {
  if (count > refuseAbove) {
    SetLastError(refuseError);
    return FALSE;
  }
  return reinterpret_cast<decltype(&ReadFile)>(readPatch->Original())(file, buffer, count, read, overlapped);
}

class RefuseReads {
 public:
  RefuseReads(DWORD above, DWORD error) : patch_("ReadFile", reinterpret_cast<void*>(RefusingReadFile)) {
    refuseAbove = above;
    refuseError = error;
    readPatch = &patch_;
  }
  ~RefuseReads() { readPatch = nullptr; }
  bool Patched() const { return patch_.Patched(); }

 private:
  ScopedImportPatch patch_;
};

}  // namespace

TEST_F(DiskFileTest, CreateEmptiesTheFileAndCloseKeepsWhatWasWritten) {
  std::wstring name = Path(L"out.txt");
  WriteBytes(name, "old contents");
  DiskFile file;
  EXPECT_TRUE(file.Write(nullptr, 0));  // no call: there is not even a handle
  EXPECT_TRUE(file.Close());
  ASSERT_TRUE(file.Create(name));
  EXPECT_EQ(0, file.FileLength());
  EXPECT_TRUE(file.Write("new", 3));
  EXPECT_TRUE(file.Write("", 0));
  EXPECT_TRUE(file.Close());
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.IsOpened());
  EXPECT_EQ("new", ReadBytes(name));
  EXPECT_FALSE(file.Write("x", 1));
}

// A plain create of "name " would make "name": only the long form keeps the blank.
TEST_F(DiskFileTest, NamesEndingWithSpaceOrDotAreCreatedAsGiven) {
  for (const wchar_t* name : {L"blank ", L"dot."}) {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(name)));
    EXPECT_TRUE(file.Write("x", 1));
    EXPECT_TRUE(file.Close());
    ASSERT_TRUE(file.Open(Path(name), false)) << name;
    char byte = 0;
    EXPECT_EQ(1, file.Read(&byte, 1));
  }
  WIN32_FIND_DATAW data;
  std::set<std::wstring> names;
  UniqueFindHandle find(FindFirstFileW(Long(Path(L"*")).c_str(), &data));
  do names.insert(data.cFileName); while (FindNextFileW(find.get(), &data));
  EXPECT_EQ((std::set<std::wstring>{L".", L"..", L"blank ", L"dot."}), names);
}

TEST_F(DiskFileTest, OnlyAnUnclosedCreatedFileIsRemovedAtTheEnd) {
  {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(L"dropped")));
    file.Write("abc", 3);
  }
  EXPECT_FALSE(PathExists(Path(L"dropped")));
  {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(L"kept")));
    file.Write("abc", 3);
    file.Close();
  }
  EXPECT_EQ("abc", ReadBytes(Path(L"kept")));
  {
    DiskFile file;
    ASSERT_TRUE(file.Open(Path(L"kept"), false));
  }
  EXPECT_EQ("abc", ReadBytes(Path(L"kept")));
  {
    DiskFile file;
    ASSERT_TRUE(file.Create(Path(L"reopened")));
    ASSERT_TRUE(file.Open(Path(L"kept"), false));  // the new file stays, closed
  }
  EXPECT_TRUE(PathExists(Path(L"reopened")));
  DiskFile missing;
  EXPECT_FALSE(missing.Open(Path(L"none"), false));
  EXPECT_FALSE(missing.IsOpened());
  char byte = 0;
  EXPECT_EQ(0, missing.Read(&byte, 1));
}

TEST_F(DiskFileTest, PositionLengthAndEnd) {
  std::string bytes(100, '\0');
  for (int i = 0; i < 100; ++i) bytes[i] = static_cast<char>(i);
  WriteBytes(Path(L"data"), bytes);
  DiskFile file;
  ASSERT_TRUE(file.Open(Path(L"data"), false));
  char buffer[200];
  EXPECT_EQ(10, file.Read(buffer, 10));
  EXPECT_EQ(100, file.FileLength());
  EXPECT_EQ(10, file.Tell());
  file.Seek(-4, FILE_CURRENT);
  EXPECT_EQ(6, file.Tell());
  file.Seek(-20, FILE_END);
  EXPECT_EQ(80, file.Tell());
  EXPECT_EQ(20, file.Read(buffer, sizeof buffer));
  EXPECT_EQ(80, buffer[0]);
  EXPECT_EQ(0, file.Read(buffer, sizeof buffer));
  file.Seek(3, FILE_BEGIN);
  EXPECT_EQ(1, file.Read(buffer, 1));
  EXPECT_EQ(3, buffer[0]);
}

TEST_F(DiskFileTest, ReadErrorsStickUnlessSuppressed) {
  WriteBytes(Path(L"data"), std::string(5000, 'r'));
  DiskFile file, quiet;
  ASSERT_TRUE(file.Open(Path(L"data"), false));
  ASSERT_TRUE(quiet.Open(Path(L"data"), false));
  quiet.SuppressErrors();
  char buffer[4096];
  {
    RefuseReads refuse(0, ERROR_ACCESS_DENIED);
    ASSERT_TRUE(refuse.Patched());
    EXPECT_EQ(0, file.Read(buffer, 100));
    EXPECT_EQ(-1, quiet.Read(buffer, 100));
  }
  EXPECT_EQ(0, file.Read(buffer, 100));  // the cause has gone, the failure stays
  EXPECT_EQ(100, quiet.Read(buffer, 100));
  ASSERT_TRUE(file.Open(Path(L"data"), false));
  EXPECT_EQ(100, file.Read(buffer, 100));
}

TEST_F(DiskFileTest, ReadsRefusedForTheirSizeAreRetriedSmaller) {
  // Wine does not make reads fail on a locked range, so the refusal is made here.
  WriteBytes(Path(L"big"), std::string(100000, 'b'));
  static char buffer[65536];
  DiskFile file;
  ASSERT_TRUE(file.Open(Path(L"big"), false));
  {
    RefuseReads refuse(32768, ERROR_LOCK_VIOLATION);
    EXPECT_EQ(32768, file.Read(buffer, 65536));
    EXPECT_EQ(32768, file.Read(buffer, 40000));
  }
  {
    RefuseReads refuse(32768, ERROR_ACCESS_DENIED);  // another error: no retry
    EXPECT_EQ(0, file.Read(buffer, 65536));
  }
  {
    // A disk file is not retried at the device size.
    DiskFile other;
    ASSERT_TRUE(other.Open(Path(L"big"), false));
    RefuseReads refuse(20000, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(0, other.Read(buffer, 30000));
  }

  const wchar_t* pipeName = L"\\\\.\\pipe\\unit_files_disk_file";
  UniqueFile server(CreateNamedPipeW(pipeName, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536,
                                     0, nullptr));
  ASSERT_TRUE(server);
  DiskFile pipe;
  ASSERT_TRUE(pipe.Open(pipeName, true));
  ConnectNamedPipe(server.get(), nullptr);
  std::string data(25000, 'p');
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(server.get(), data.data(), 25000, &written, nullptr));
  RefuseReads refuse(20000, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(20000, pipe.Read(buffer, 65536));
  EXPECT_EQ(5000, pipe.Read(buffer, 65536));
}

TEST_F(DiskFileTest, SharedOpenLetsAnotherWriterKeepTheFile) {
  WriteBytes(Path(L"log"), "line");
  UniqueFile writer(CreateFileW(Path(L"log").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  ASSERT_TRUE(writer);
  DiskFile shared, exclusive;
  EXPECT_TRUE(shared.Open(Path(L"log"), true));
  EXPECT_FALSE(exclusive.Open(Path(L"log"), false));
  char buffer[8] = {};
  EXPECT_EQ(4, shared.Read(buffer, sizeof buffer));
}
