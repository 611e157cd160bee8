#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "environment/messages.h"
#include "localization/language_table.h"
#include "localization/strings.h"
#include "support/import_patch.h"
#include "unit/localization/language_test_files.h"

namespace {

UINT shownFlags = 0;
int WINAPI RecordMessageBox(HWND, LPCWSTR, LPCWSTR, UINT flags) {
  shownFlags = flags;
  return IDYES;
}

// Points this program's import of MessageBoxW at RecordMessageBox while it lives.
class MessageBoxRecorder : public ScopedImportPatch {
 public:
  MessageBoxRecorder() : ScopedImportPatch("MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)) {}
  bool Active() const { return Patched(); }
};

}  // namespace

TEST(ShowMessage, RightToLeftLanguagesReadAndAlignFromTheRight) {
  ClearLanguageTableAfter clear;
  MessageBoxRecorder recorder;
  ASSERT_TRUE(recorder.Active());
  TheLanguageTable().Clear();
  EXPECT_EQ(IDYES, ShowMessage(nullptr, L"text", L"caption", MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO));
  EXPECT_EQ(0x10024u, shownFlags);
  TheLanguageTable().RightToLeft = true;
  ShowMessage(nullptr, L"text", L"caption", MB_ICONINFORMATION);
  EXPECT_EQ(0x180040u, shownFlags);
}

TEST(KeepLeftToRightReading, OnlyMirroredLanguagesLoseRightToLeftReading) {
  ClearLanguageTableAfter clear;
  HWND edit = CreateWindowExW(WS_EX_RTLREADING, L"EDIT", L"*.zpk", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(nullptr, edit);
  TheLanguageTable().Clear();
  KeepLeftToRightReading(edit);
  EXPECT_TRUE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_RTLREADING);
  TheLanguageTable().RightToLeft = true;
  KeepLeftToRightReading(edit);
  EXPECT_FALSE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_RTLREADING);
  DestroyWindow(edit);
}

TEST(BoldFont, HeightFollowsTheScreenResolution) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(dpi, GetScreenDpiY());
  EXPECT_EQ(-(12 * dpi) / 96, GetBoldFontHeight());
  EXPECT_EQ(-12, BoldFontHeightForDpi(96));
  EXPECT_EQ(-12, BoldFontHeightForDpi(100));
  EXPECT_EQ(-15, BoldFontHeightForDpi(120));
  EXPECT_EQ(-18, BoldFontHeightForDpi(144));
}
