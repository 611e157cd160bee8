#include "dialogs/setup_dialog.h"

#include "localization/dialog_proc.h"

INT_PTR SetupDialog::HandleMessage(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  EndDialog(dialog, kCancelledResult);
  return TRUE;
}

INT_PTR ShowSetupDialog() {
  SetupDialog dialog;
  return ShowDialog(nullptr, dialog);
}
