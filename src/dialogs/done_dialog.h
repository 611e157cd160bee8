#pragma once
// The completion dialog (DONEDLG) shown after a confirmed setup.
#include <windows.h>

#include "resources/resource_ids.h"

class DoneDialog {
 public:
  static constexpr const wchar_t* kTemplateName = L"" IDD_DONEDLG;
  static constexpr const wchar_t* kHelpTopic = nullptr;
  // Closing the dialog in any way ends it with 1.
  static constexpr INT_PTR kCancelledResult = 1;

  // Until the dialog's controls arrive, it closes as soon as it opens.
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

// Shows the dialog without an owner; returns 1, or -1 when it could not be made.
INT_PTR ShowDoneDialog();
