#pragma once
// One dialog procedure for every dialog of the program. A dialog is a class with
//   static constexpr const wchar_t* kTemplateName;  // the template, e.g. L"" IDD_DONEDLG
//   static constexpr const wchar_t* kHelpTopic;     // null for a dialog without help
//   static constexpr INT_PTR kCancelledResult;      // what the dialog ends with when cancelled
//   INT_PTR HandleMessage(HWND, UINT, WPARAM, LPARAM);  // TRUE when it handled the message
// and its object is handed to the dialog through the LPARAM of WM_INITDIALOG.
#include <windows.h>

#include "localization/dialog_localization.h"
#include "localization/strings.h"

// The procedure of dialogs of class `Dialog`: keeps the object passed at
// WM_INITDIALOG in DWLP_USER, gives every message first to the common dialog
// handling, then to the object (none reaches it before WM_INITDIALOG). An
// exception never leaves it: the dialog then ends with kCancelledResult.
template <class Dialog>
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
    if (HandleCommonDialogMessage(window, message, wParam, lParam, Dialog::kTemplateName, Dialog::kHelpTopic))
      return TRUE;
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog != nullptr ? dialog->HandleMessage(window, message, wParam, lParam) : FALSE;
  } catch (...) {
    // Unwinding through Windows' own frames is undefined; a dialog that failed
    // half way is closed as if the user had cancelled it.
    EndDialog(window, Dialog::kCancelledResult);
    return TRUE;
  }
}

// Shows the modal dialog of `dialog` from the resource module, owned by `owner`.
// Returns what the dialog ended with, or -1 when it could not be made.
template <class Dialog>
INT_PTR ShowDialog(HWND owner, Dialog& dialog) {
  return DialogBoxParamW(ResourceModule(), Dialog::kTemplateName, owner, DialogProc<Dialog>,
                         reinterpret_cast<LPARAM>(&dialog));
}
