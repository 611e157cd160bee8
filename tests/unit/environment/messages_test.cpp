#include "environment/messages.h"

#include <gtest/gtest.h>

#include "support/import_patch.h"
#include "support/scoped_state.h"

namespace {

UINT shownFlags = 0;

int WINAPI RecordMessageBox(HWND, LPCWSTR, LPCWSTR, UINT flags) {
  shownFlags = flags;
  return IDYES;
}

}  // namespace

TEST(MessageBoxFlags, LeftToRightKeepsTheFlags) {
  ScopedImportPatch recorder("MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox));
  ASSERT_TRUE(recorder.Patched());
  const ScopedMessageReadingDirection direction(false);
  const UINT question = MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO;
  ShowMessage(nullptr, L"text", L"caption", question);
  EXPECT_EQ(question, shownFlags);
}
