// The dialog procedure shared by every dialog, driven through a dialog template
// made in memory.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>

#include "localization/dialog_proc.h"
#include "support/dialog_template.h"

namespace {

// The dialog asks itself to close once open; it ends with `EndWith` unless it
// throws on the message `ThrowOn`.
struct TestDialog {
  static constexpr const wchar_t* kTemplateName = L"TESTDLG";
  static constexpr const wchar_t* kHelpTopic = nullptr;
  static constexpr INT_PTR kCancelledResult = 77;

  UINT ThrowOn = 0;
  INT_PTR EndWith = 0;

  INT_PTR HandleMessage(HWND window, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG && message != WM_COMMAND) return FALSE;
    if (message == ThrowOn) throw std::runtime_error("handler failed");
    if (message == WM_INITDIALOG)
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    else
      EndDialog(window, EndWith);
    return TRUE;
  }
};

constexpr INT_PTR kLeftOpen = -2;

BOOL CALLBACK EndLeftOpenDialog(HWND window, LPARAM) { return !EndDialog(window, kLeftOpen); }

// Closes a dialog that no handler closed, so that a failing test does not hang.
void CALLBACK CloseLeftOpenDialog(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), EndLeftOpenDialog, 0);
}

INT_PTR RunTestDialog(TestDialog& dialog) {
  static const DialogTemplate kTemplate(WS_POPUP | WS_CAPTION, 120, 60);
  const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, CloseLeftOpenDialog);
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), kTemplate.Get(), nullptr,
                                                 DialogProc<TestDialog>, reinterpret_cast<LPARAM>(&dialog));
  KillTimer(nullptr, watchdog);
  return result;
}

}  // namespace

TEST(DialogProc, LaterMessagesReachTheObjectGivenAtCreation) {
  TestDialog dialog;
  dialog.EndWith = 42;
  EXPECT_EQ(42, RunTestDialog(dialog));
}

TEST(DialogProc, ThrowingHandlerEndsTheDialogAsCancelled) {
  TestDialog dialog;
  dialog.ThrowOn = WM_COMMAND;
  dialog.EndWith = 42;
  EXPECT_EQ(TestDialog::kCancelledResult, RunTestDialog(dialog));
}
