#include "dialogs/dialog_end.h"

void DialogEnd::End(HWND dialog, INT_PTR result) {
  ended_ = true;
  EndDialog(dialog, result);
}

void DialogEnd::KeepHidden(UINT message, LPARAM lParam) const {
  if (ended_ && message == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
}
