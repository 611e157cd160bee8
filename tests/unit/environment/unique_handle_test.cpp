#include "environment/unique_handle.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A close that fails and sets the last error, as closing a stale handle does.
struct FailingCloseTraits {
  using Handle = int;
  static Handle Empty() { return 0; }
  static bool IsEmpty(Handle h) { return h == 0; }
  static void Close(Handle) { SetLastError(ERROR_INVALID_HANDLE); }
};

}  // namespace

TEST(UniqueHandle, ClosingKeepsTheLastError) {
  UniqueHandle<FailingCloseTraits> owner(7);
  SetLastError(ERROR_FILE_NOT_FOUND);
  owner.reset();
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}
