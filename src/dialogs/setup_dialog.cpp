#include "dialogs/setup_dialog.h"

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}
