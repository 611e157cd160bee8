// Help requests that reach a dialog through the common dialog handling.
#include "localization/dialog_localization.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/dialog_template.h"
#include "support/html_help_recorder.h"

namespace {

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

TEST(DialogHelp, F1AndTheHelpButtonOpenTheDialogsTopic) {
  const struct {
    const char* name;
    UINT message;
    WPARAM wParam;
    const wchar_t* topic;
    size_t calls;
  } rows[] = {
      {"F1 with a topic", WM_HELP, 0, L"HELPIntegrationSettings", 1},
      {"help button with a topic", WM_COMMAND, IDHELP, L"HELPIntegrationSettings", 1},
      {"F1 without a topic", WM_HELP, 0, nullptr, 0},
  };
  const DialogTemplate hidden(WS_POPUP, 100, 100);
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), hidden.Get(), nullptr, IgnoreMessages, 0);
  ASSERT_NE(nullptr, dialog);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ScopedHtmlHelpRecorder recorder;
    HandleCommonDialogMessage(dialog, row.message, row.wParam, 0, L"SETUPDLG", row.topic);
    ASSERT_EQ(row.calls, ScopedHtmlHelpRecorder::Calls().size());
    if (row.calls == 1) {
      EXPECT_TRUE(ScopedHtmlHelpRecorder::Calls()[0].Address.ends_with(L"::/html/HELPIntegrationSettings.htm"));
    }
  }
  DestroyWindow(dialog);
}
