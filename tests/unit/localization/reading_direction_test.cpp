// The language loader hands the language's reading direction to the message boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include "environment/messages.h"
#include "localization/language_file.h"
#include "support/file_bytes.h"
#include "support/message_box_recorder.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"

TEST(LanguageLoader, RightToLeftLanguageMakesMessageBoxesReadRightToLeft) {
  const ScopedLanguageTable texts;
  const ScopedMessageReadingDirection leftToRight(false);
  DWORD layout = 0;
  GetProcessDefaultLayout(&layout);
  const ScopedTempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder.Path(L"rtl.lng"), "***messages**\r\n:DIRECTION RTL\r\nIDS_UNINSTALLZPK x\r\n"));
  LoadLanguage(folder.Path(L"rtl.lng").c_str());
  SetProcessDefaultLayout(layout);  // the loader mirrors the whole process
  const MessageBoxRecorder recorder;
  ASSERT_TRUE(recorder.Patched());
  ShowMessage(nullptr, L"text", L"caption", MB_OK);
  EXPECT_EQ(static_cast<UINT>(MB_RTLREADING | MB_RIGHT), recorder.LastFlags());
}
