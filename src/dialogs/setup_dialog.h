#pragma once
// The integration settings dialog (SETUPDLG).
#include <windows.h>

#include "resources/resource_ids.h"

class SetupDialog {
 public:
  static constexpr const wchar_t* kTemplateName = L"" IDD_SETUPDLG;
  static constexpr const wchar_t* kHelpTopic = L"HELPIntegrationSettings";
  static constexpr INT_PTR kCancelledResult = 0;

  // Until the dialog's controls arrive, it ends as cancelled as soon as it opens.
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

// Shows the dialog without an owner: non-zero when the user confirmed, 0 when
// cancelled, -1 when the dialog could not be made.
INT_PTR ShowSetupDialog();
