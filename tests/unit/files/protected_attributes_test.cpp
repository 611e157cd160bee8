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

class ProtectedAttributes : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    WriteBytes(file_, "x");
  }
  const std::wstring file_ = Path(L"entry.dat");
};

}  // namespace

TEST_F(ProtectedAttributes, ReadOnlyHiddenAndSystemAreCleared) {
  ASSERT_TRUE(SetFileAttributesW(file_.c_str(), kProtective));
  ASSERT_EQ(kProtective, GetPathAttributes(file_) & kProtective) << "this file system keeps no such attribute";
  EXPECT_TRUE(ClearPathAttributesIfProtected(file_, kProtective));
  EXPECT_EQ(0u, GetPathAttributes(file_) & kProtective);
}

TEST_F(ProtectedAttributes, ReadOnlyIsClearedWhenTheCallerCouldNotReadTheAttributes) {
  ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(ClearPathAttributesIfProtected(file_, INVALID_FILE_ATTRIBUTES));
  EXPECT_EQ(0u, GetPathAttributes(file_) & kProtective);
}

TEST_F(ProtectedAttributes, NothingIsWrittenWhenOnlyHarmlessOnesAreSet) {
  const DWORD harmless = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  attributeWrites = 0;
  {
    ScopedImportPatch patch("SetFileAttributesW", reinterpret_cast<void*>(CountingSetFileAttributesW));
    ASSERT_TRUE(patch.Patched());
    realSetFileAttributesW = patch.Original();
    EXPECT_TRUE(ClearPathAttributesIfProtected(file_, harmless));
  }
  EXPECT_EQ(0, attributeWrites);
}
