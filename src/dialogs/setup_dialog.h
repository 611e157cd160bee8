#pragma once
// The integration settings dialog (SETUPDLG): which formats, shortcuts and shell
// integration the user wants; on confirmation they are stored and applied to
// Windows, and the Add/Remove Programs entry is written.
#include <windows.h>

#include "dialogs/dialog_end.h"
#include "resources/resource_ids.h"

class SetupDialog {
 public:
  static constexpr const wchar_t* kTemplateName = L"" IDD_SETUPDLG;
  static constexpr const wchar_t* kHelpTopic = L"HELPIntegrationSettings";
  static constexpr INT_PTR kCancelledResult = 0;
  static constexpr INT_PTR kConfirmedResult = 1;

  // Opens with the stored choices as the init data changes them (confirming at
  // once when the run is silent); OK stores and applies them and ends with 1,
  // Esc or the close box sets the exit code 1 and ends with 0, nothing stored.
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Initialize(HWND dialog);
  void OnCommand(HWND dialog, int id);
  void Confirm(HWND dialog);

  DialogEnd end_;
};

// Shows the dialog without an owner: 1 when the user confirmed, 0 when cancelled,
// -1 when the dialog could not be made.
INT_PTR ShowSetupDialog();
