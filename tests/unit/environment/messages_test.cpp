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

constexpr UINT kQuestion = MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO;

// Message boxes are recorded instead of shown.
class MessageBoxFlags : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(recorder_.Patched());
    shownFlags = 0;
  }
  ScopedImportPatch recorder_{"MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)};
};

}  // namespace

TEST_F(MessageBoxFlags, TheAnswerIsReturned) {
  EXPECT_EQ(IDYES, ShowMessage(nullptr, L"text", L"caption", kQuestion));
}

TEST_F(MessageBoxFlags, LeftToRightKeepsTheFlags) {
  const ScopedMessageReadingDirection direction(false);
  ShowMessage(nullptr, L"text", L"caption", kQuestion);
  EXPECT_EQ(kQuestion, shownFlags);
}

TEST_F(MessageBoxFlags, RightToLeftAlignsRightAndReadsRightToLeft) {
  const ScopedMessageReadingDirection direction(true);
  ShowMessage(nullptr, L"text", L"caption", kQuestion);
  EXPECT_EQ(kQuestion | MB_RIGHT | MB_RTLREADING, shownFlags);
}
