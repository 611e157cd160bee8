#include <gtest/gtest.h>

#include "files/file_system.h"
#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

constexpr DWORD kProtective = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

int attributeWrites = 0;
void* realSetFileAttributesW = nullptr;
BOOL WINAPI CountingSetFileAttributesW(LPCWSTR name, DWORD attributes) {
  ++attributeWrites;
  return reinterpret_cast<decltype(&SetFileAttributesW)>(realSetFileAttributesW)(name, attributes);
}

class ProtectedAttributes : public TempFolderTest {};

}  // namespace

TEST_F(ProtectedAttributes, EachIsClearedFromTheFile) {
  struct Row {
    const char* name;
    DWORD set;
    bool passUnknown;  // the caller could not read the attributes
  };
  const Row rows[] = {
      {"read-only", FILE_ATTRIBUTE_READONLY, false},
      {"hidden", FILE_ATTRIBUTE_HIDDEN, false},
      {"system", FILE_ATTRIBUTE_SYSTEM, false},
      {"read-only, hidden and system", kProtective, false},
      {"read-only, passed as unknown", FILE_ATTRIBUTE_READONLY, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::wstring file = Path(L"entry.dat");
    WriteBytes(file, "x");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), row.set));
    const DWORD before = GetPathAttributes(file);
    ASSERT_EQ(row.set, before & kProtective) << "this file system keeps no such attribute";
    EXPECT_TRUE(ClearPathAttributesIfProtected(file, row.passUnknown ? INVALID_FILE_ATTRIBUTES : before));
    EXPECT_EQ(0u, GetPathAttributes(file) & kProtective);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
  }
}

TEST_F(ProtectedAttributes, NothingIsWrittenWhenNoneIsSet) {
  struct Row {
    const char* name;
    DWORD attributes;
  };
  const Row rows[] = {
      {"normal", FILE_ATTRIBUTE_NORMAL},
      {"archive", FILE_ATTRIBUTE_ARCHIVE},
      {"folder", FILE_ATTRIBUTE_DIRECTORY},
      {"archive, temporary, not indexed", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED},
  };
  const std::wstring file = Path(L"plain.dat");
  WriteBytes(file, "x");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    attributeWrites = 0;
    {
      ScopedImportPatch patch("SetFileAttributesW", reinterpret_cast<void*>(CountingSetFileAttributesW));
      ASSERT_TRUE(patch.Patched());
      realSetFileAttributesW = patch.Original();
      EXPECT_TRUE(ClearPathAttributesIfProtected(file, row.attributes));
    }
    EXPECT_EQ(0, attributeWrites);
  }
}
