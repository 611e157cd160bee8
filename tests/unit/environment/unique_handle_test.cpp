#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "environment/unique_handle.h"

namespace {

HANDLE NewEvent() { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

// A close that fails and sets the last error, as closing a stale handle does.
struct FailingCloseTraits {
  using Handle = int;
  static Handle Empty() { return 0; }
  static bool IsEmpty(Handle h) { return h == 0; }
  static void Close(Handle) { SetLastError(ERROR_INVALID_HANDLE); }
};

}  // namespace

TEST(UniqueHandle, MoveHandsTheHandleOverWithoutClosingIt) {
  HANDLE event = NewEvent();
  UniqueKernelHandle first(event);
  UniqueKernelHandle second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(event, second.get());
  EXPECT_TRUE(IsOpen(event));
}

TEST(UniqueHandle, MoveAssignmentClosesTheHandleItReplaces) {
  HANDLE replaced = NewEvent();
  UniqueKernelHandle target(replaced);
  UniqueKernelHandle source(NewEvent());
  target = std::move(source);
  EXPECT_FALSE(IsOpen(replaced));
}

TEST(UniqueHandle, PutClosesTheOldHandleAndGivesAnEmptySlot) {
  HANDLE event = NewEvent();
  UniqueKernelHandle owner(event);
  HANDLE* slot = owner.put();
  EXPECT_FALSE(IsOpen(event));
  EXPECT_EQ(nullptr, *slot);
}

TEST(UniqueHandle, ClosingKeepsTheLastError) {
  UniqueHandle<FailingCloseTraits> owner(7);
  SetLastError(ERROR_FILE_NOT_FOUND);
  owner.reset();
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(UniqueHandle, KernelHandleOfInvalidHandleValueIsEmpty) {
  UniqueKernelHandle owner(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(owner);
}
