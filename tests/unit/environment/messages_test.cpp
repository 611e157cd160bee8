#include "environment/messages.h"

#include <gtest/gtest.h>

#include "localization/language_table.h"
#include "support/import_patch.h"

namespace {

UINT shownFlags = 0;

int WINAPI RecordMessageBox(HWND, LPCWSTR, LPCWSTR, UINT flags) {
  shownFlags = flags;
  return IDYES;
}

constexpr UINT kQuestion = MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO;

// Message boxes are recorded instead of shown; the language table is emptied
// afterwards, which turns its direction back to left to right.
class MessageBoxFlags : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(recorder_.Patched());
    shownFlags = 0;
  }
  void TearDown() override { TheLanguageTable().Clear(); }
  ScopedImportPatch recorder_{"MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)};
};

}  // namespace

TEST_F(MessageBoxFlags, TheAnswerIsReturned) {
  EXPECT_EQ(IDYES, ShowMessage(nullptr, L"text", L"caption", kQuestion));
}

TEST_F(MessageBoxFlags, LeftToRightKeepsTheFlags) {
  TheLanguageTable().RightToLeft = false;
  ShowMessage(nullptr, L"text", L"caption", kQuestion);
  EXPECT_EQ(kQuestion, shownFlags);
}

TEST_F(MessageBoxFlags, RightToLeftAlignsRightAndReadsRightToLeft) {
  TheLanguageTable().RightToLeft = true;
  ShowMessage(nullptr, L"text", L"caption", kQuestion);
  EXPECT_EQ(kQuestion | MB_RIGHT | MB_RTLREADING, shownFlags);
}
