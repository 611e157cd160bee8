#pragma once
// Ending a modal dialog for good: once ended, it is never shown.
#include <windows.h>

// A dialog that ends while it opens (a silent run confirms inside WM_INITDIALOG)
// must not appear at all; some systems still show a template's visible dialog
// after WM_INITDIALOG, for a moment, before the ended dialog goes.
class DialogEnd {
 public:
  // Ends the dialog with `result`.
  void End(HWND dialog, INT_PTR result);
  // Given every message of the dialog: after End, a request to show the dialog
  // (WM_WINDOWPOSCHANGING with SWP_SHOWWINDOW) is dropped. Never handles a message.
  void KeepHidden(UINT message, LPARAM lParam) const;

 private:
  bool ended_ = false;
};
