#include "dialogs/done_dialog.h"

#include "localization/dialog_proc.h"

INT_PTR DoneDialog::HandleMessage(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  EndDialog(dialog, kCancelledResult);
  return TRUE;
}

INT_PTR ShowDoneDialog() {
  DoneDialog dialog;
  return ShowDialog(nullptr, dialog);
}
