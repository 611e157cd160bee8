#pragma once
// The completion dialog (DONEDLG) shown after a confirmed setup: where the product
// lies, and buttons for its help, its licence and its home page.
#include <windows.h>

#include "dialogs/dialog_end.h"
#include "resources/resource_ids.h"

class DoneDialog {
 public:
  static constexpr const wchar_t* kTemplateName = L"" IDD_DONEDLG;
  static constexpr const wchar_t* kHelpTopic = nullptr;
  // Closing the dialog in any way ends it with 1.
  static constexpr INT_PTR kCancelledResult = 1;

  // Shows the current folder as the installation folder and closes at once when the
  // run is silent; the buttons open the help, licenza.txt and the home page, and
  // nothing is reported when one of them cannot be opened.
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void OnCommand(HWND dialog, int id);

  DialogEnd end_;
};

// Shows the dialog without an owner; returns 1, or -1 when it could not be made.
INT_PTR ShowDoneDialog();
