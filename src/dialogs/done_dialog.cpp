#include "dialogs/done_dialog.h"

#include <shellapi.h>

#include <string>

#include "environment/app_visuals.h"
#include "environment/help_viewer.h"
#include "environment/paths.h"
#include "environment/run_state.h"
#include "localization/dialog_proc.h"
#include "localization/strings.h"

namespace {

constexpr wchar_t kLicenseFileName[] = L"licenza.txt";

// Setup runs with the installation folder as its current folder.
std::wstring InstallationFolder() {
  std::wstring folder;
  GetCurrentFolder(folder);
  return folder;
}

// Failures (no such file, no program for it) leave the dialog as it was.
void OpenWithShell(const std::wstring& target) {
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, L"", SW_SHOWNORMAL);
}

// The licence in the installation folder, or its copy in the user's language folder.
void OpenLicense() {
  std::wstring path = InstallationFolder();
  AddEndSlash(path);
  path += kLicenseFileName;
  std::wstring resolved;
  ResolveLanguagePath(path, resolved);
  OpenWithShell(resolved);
}

void Initialize(HWND dialog) {
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon()));
  SendDlgItemMessageW(dialog, IDC_THANKS, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), 0);
  SetDlgItemTextW(dialog, IDC_INSTFOLDER, InstallationFolder().c_str());
  if (RunState.Silent) SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

}  // namespace

void DoneDialog::OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      end_.End(dialog, kCancelledResult);
      break;
    case IDC_VIEWHELP:
      ShowHelp(L"");
      break;
    case IDC_VIEWLICENSE:
      OpenLicense();
      break;
    case IDC_HOMEPAGE:
      OpenWithShell(GetLocalizedString(IDS_HOMEURL));
      break;
    default:
      break;
  }
}

INT_PTR DoneDialog::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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

INT_PTR ShowDoneDialog() {
  DoneDialog dialog;
  return ShowDialog(nullptr, dialog);
}
