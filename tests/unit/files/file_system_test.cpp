#include "files/file_system.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "support/import_patch.h"
#include "support/temp_folder.h"

namespace {

// Windows refuses plain names of MAX_PATH or more to programs that are not long-path
// aware; Wine does not. While patched, these calls refuse such names the same way.
int refusedCalls = 0;

// The real function is what the patch found in the import entry before writing it:
// the compiler may take the entry for a constant and read it again, after the patch,
// where the code names the function, and the refusal would call itself forever.
template <int Slot, typename R, typename... Rest>
ScopedImportPatch RefuseLongPlainNames(const char* name, R(WINAPI*)(LPCWSTR, Rest...)) {
  static void* original = nullptr;
  R (*limited)(LPCWSTR, Rest...) = [](LPCWSTR path, Rest... rest) -> R {
    if (!path || wcslen(path) < MAX_PATH || wcsncmp(path, L"\\\\?\\", 4) == 0)
      return reinterpret_cast<R(WINAPI*)(LPCWSTR, Rest...)>(original)(path, rest...);
    SetLastError(ERROR_PATH_NOT_FOUND);
    ++refusedCalls;
    if constexpr (std::is_same_v<R, BOOL>)
      return FALSE;
    else
      return (R)-1;  // INVALID_HANDLE_VALUE or INVALID_FILE_ATTRIBUTES
  };
  return ScopedImportPatch(name, reinterpret_cast<void*>(limited), &original);
}

// A folder more than 300 characters deep holding "file", with the plain calls refused.
class LongPath : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (wchar_t c = L'a'; deep_.size() < 300; ++c) deep_ += L"\\" + std::wstring(40, c);
    WriteBytes(deep_ + L"\\file", "12345");
    refusedCalls = 0;
  }
  std::wstring deep_ = root_;
  ScopedImportPatch limits_[2] = {RefuseLongPlainNames<0>("GetFileAttributesW", &GetFileAttributesW),
                                  RefuseLongPlainNames<1>("DeleteFileW", &DeleteFileW)};
};

}  // namespace

TEST_F(LongPath, AFileIsRemoved) {
  EXPECT_TRUE(RemoveFile(deep_ + L"\\file"));
  EXPECT_EQ("<missing>", ReadFileBytes(deep_ + L"\\file"));
  EXPECT_GE(refusedCalls, 1);
}
