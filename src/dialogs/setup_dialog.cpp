#include "dialogs/setup_dialog.h"

#include <richedit.h>

#include <string>

#include "environment/app_visuals.h"
#include "environment/messages.h"
#include "environment/run_state_writer.h"
#include "environment/win_version.h"
#include "integration/apply_integration.h"
#include "integration/associations.h"
#include "integration/context_items_dialog.h"
#include "integration/init_data.h"
#include "integration/options_dialog.h"
#include "integration/options_storage.h"
#include "localization/dialog_proc.h"
#include "localization/strings.h"
#include "uninstall/install_record.h"

namespace {

// The sentences of the first paragraph of the help text, in their order.
constexpr UINT kHelpSentences[] = {IDS_INSTHELP1, IDS_INSTHELP2, IDS_INSTHELP3, IDS_INSTHELP4, IDS_INSTHELP5};

// The note about the single top-level item comes at most once per run.
bool SingleItemNoteShown = false;

// Two paragraphs, each indented by four spaces: the five sentences, then the
// pointer to the help button.
std::wstring HelpText() {
  std::wstring text = L"   ";
  for (UINT id : kHelpSentences) text.append(L" ").append(GetLocalizedString(id));
  return text.append(L"\r\n    ").append(GetLocalizedString(IDS_INSTHELP6));
}

bool IsTicked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) != BST_UNCHECKED; }

// Ticks all 18 format boxes unless every one of them is ticked already; then clears them.
void TickOrClearAllFormats(HWND dialog) {
  bool anyClear = false;
  for (int id = IDC_ASSOCZPK; id <= IDC_ASSOC001; ++id)
    if (GetDlgItem(dialog, id) != nullptr && IsDlgButtonChecked(dialog, id) == BST_UNCHECKED) anyClear = true;
  for (int id = IDC_ASSOCZPK; id <= IDC_ASSOC001; ++id)
    CheckDlgButton(dialog, id, anyClear ? BST_CHECKED : BST_UNCHECKED);
}

// The boxes that depend on the shell extension follow its box at once.
void RefreshEnabledBoxes(HWND dialog) {
  IntegrationOptions shown;
  ReadOptionsFromDialog(dialog, shown);
  ShowOptionsInDialog(dialog, shown);
}

// Without the cascaded menu, Windows 11 shows a single item of the product in its
// context menu: the user is told so the first time the box is cleared.
void NoteSingleItem(HWND dialog) {
  if (SingleItemNoteShown || !IsWindows11() || IsTicked(dialog, IDC_SHELLCASCADED)) return;
  ShowMessage(dialog, GetLocalizedString(IDS_SINGLETOPITEM), GetLocalizedString(IDS_UNINSTTITLE), MB_ICONINFORMATION);
  SingleItemNoteShown = true;
}

}  // namespace

INT_PTR SetupDialog::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  end_.KeepHidden(message, lParam);
  switch (message) {
    case WM_INITDIALOG:
      Initialize(dialog);
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

void SetupDialog::Initialize(HWND dialog) {
  SetDlgItemTextW(dialog, IDC_INSTHELPTEXT, HelpText().c_str());
  IntegrationOptions options = LoadIntegrationOptions();
  ApplyInitData(options);
  ShowOptionsInDialog(dialog, options);
  SetForegroundWindow(dialog);
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon()));
  SendDlgItemMessageW(dialog, IDC_INSTHELPTEXT, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));
  // A silent run confirms before the dialog is ever shown.
  if (RunState.Silent) SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

void SetupDialog::OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK:
      Confirm(dialog);
      break;
    case IDCANCEL:
      WritableRunState().ExitCode = 1;
      end_.End(dialog, kCancelledResult);
      break;
    case IDC_SHELLEXT:
      RefreshEnabledBoxes(dialog);
      break;
    case IDC_SHELLCASCADED:
      NoteSingleItem(dialog);
      break;
    case IDC_ASSOCALL:
      TickOrClearAllFormats(dialog);
      break;
    case IDC_SETCONTEXTMENU:
      ShowContextItemsDialog(dialog, IsTicked(dialog, IDC_SHELLCASCADED));
      break;
    default:
      break;
  }
}

// The order matters: the choices are stored before they are applied, and the
// Add/Remove entry is written even when the apply stopped early.
void SetupDialog::Confirm(HWND dialog) {
  IntegrationOptions options;
  ReadOptionsFromDialog(dialog, options);
  options.ExtAll = RunState.ExtAll;
  SaveIntegrationOptions(options);
  ApplyIntegration(options);
  if (!RunState.Msi) WriteUninstallEntry();
  // ".ace" is no longer offered; a former association of the product is given back.
  ReleaseExtension(L".ace");
  end_.End(dialog, kConfirmedResult);
}

INT_PTR ShowSetupDialog() {
  SetupDialog dialog;
  return ShowDialog(nullptr, dialog);
}
