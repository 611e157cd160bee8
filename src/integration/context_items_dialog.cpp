#include "integration/context_items_dialog.h"

#include "environment/messages.h"
#include "environment/win_version.h"
#include "localization/dialog_proc.h"
#include "settings/registry.h"
#include "settings/settings_store.h"

namespace {

constexpr wchar_t kMenuItemsKey[] = L"Setup\\MenuItems";
constexpr wchar_t kTopMenuItemsKey[] = L"Setup\\TopMenuItems";
constexpr wchar_t kAlwaysArcName[] = L"AlwaysArc";
constexpr wchar_t kAlwaysArcDefault[] = L"*.iso";
constexpr size_t kAlwaysArcSize = 1024;

// One number under Setup\MenuItems per row, in the order they are stored.
struct MenuItem {
  const wchar_t* ValueName;
  int ControlId;
  DWORD Default;
  bool HiddenInSingleMode;
};

constexpr MenuItem kMenuItems[] = {
    {L"ExtrTo", IDC_CONTEXTEXTRACTTO, 1, true},
    {L"ExtrHere", IDC_CONTEXTEXTRACTHERE, 1, true},
    {L"Extr", IDC_CONTEXTEXTRACT, 1, true},
    {L"ExtrSep", IDC_CONTEXTEXTRACTSEPARATE, 1, true},
    {L"OpenSFX", IDC_CONTEXTOPENSFX, 1, true},
    {L"OpenArc", IDC_CONTEXTOPENARC, 1, true},
    {L"AddTo", IDC_CONTEXTADD, 1, true},
    {L"AddArc", IDC_CONTEXTADDARC, 1, true},
    {L"EmailArc", IDC_CONTEXTEMAILARC, 1, true},
    {L"EmailOpt", IDC_CONTEXTEMAILARCOPT, 1, true},
    {L"Test", IDC_CONTEXTTEST, 0, true},
    {L"Convert", IDC_CONTEXTCONVERT, 0, true},
    {L"NewZPK", IDC_CONTEXTNEWZPK, 1, false},
    {L"NewZIP", IDC_CONTEXTNEWZIP, 1, false},
    {L"SFXLocal", IDC_CONTEXTSFXLOCAL, 1, false},
    {L"SFXNetwork", IDC_CONTEXTSFXNETWORK, 1, false},
    {L"SFXOther", IDC_CONTEXTSFXOTHER, 1, false},
    {L"DragAdd", IDC_CONTEXTDRAGADD, 1, false},
    {L"DragExtr", IDC_CONTEXTDRAGEXTRACT, 1, false},
};

// One number under Setup\TopMenuItems per row; rows of one group are one choice.
struct TopItem {
  const wchar_t* ValueName;
  int ControlId;
  int Group;
  DWORD Default;
};

constexpr TopItem kTopItems[] = {
    {L"Extr", IDC_CONTEXTTOPEXTRACT, 0, 1},
    {L"ExtrTo", IDC_CONTEXTTOPEXTRACTTO, 0, 0},
    {L"ExtrHere", IDC_CONTEXTTOPEXTRACTHERE, 0, 0},
    {L"ExtrSep", IDC_CONTEXTTOPEXTRACTSEPARATE, 1, 1},
    {L"AddArc", IDC_CONTEXTTOPADDARC, 2, 1},
    {L"AddTo", IDC_CONTEXTTOPADD, 2, 0},
};

void HideControl(HWND dialog, int controlId) { ShowWindow(GetDlgItem(dialog, controlId), SW_HIDE); }

// In each group the first row with a non-zero number is ticked; the rows after it
// are neither read nor ticked.
void ShowTopItems(HWND dialog) {
  int chosen = -1;
  for (const TopItem& item : kTopItems) {
    if (item.Group == chosen) continue;
    if (GetRegDword(kTopMenuItemsKey, item.ValueName, item.Default) != 0) {
      CheckDlgButton(dialog, item.ControlId, BST_CHECKED);
      chosen = item.Group;
    }
  }
}

}  // namespace

void ContextItemsDialog::ShowStoredChoices(HWND dialog) {
  const bool singleMode = !cascaded_ && IsWindows11();
  topItemsHidden_ = !singleMode;
  if (singleMode) {
    for (const MenuItem& item : kMenuItems)
      if (item.HiddenInSingleMode) HideControl(dialog, item.ControlId);
    ShowTopItems(dialog);
  } else {
    for (const TopItem& item : kTopItems) HideControl(dialog, item.ControlId);
  }
  // The stored number is the check state as it stands; the box shows any
  // non-zero number as ticked.
  for (const MenuItem& item : kMenuItems)
    CheckDlgButton(dialog, item.ControlId, GetRegDword(kMenuItemsKey, item.ValueName, item.Default));

  wchar_t masks[kAlwaysArcSize];
  // A missing value, or one too long for the buffer, leaves the default in it.
  static_cast<void>(GetRegString(kMenuItemsKey, kAlwaysArcName, masks, kAlwaysArcDefault, kAlwaysArcSize));
  SetDlgItemTextW(dialog, IDC_CONTEXTALWAYSARC, masks);
  KeepLeftToRightReading(GetDlgItem(dialog, IDC_CONTEXTALWAYSARC));
}

// Hidden boxes are stored too: they hold the numbers they were loaded with.
void ContextItemsDialog::StoreChoices(HWND dialog) const {
  for (const MenuItem& item : kMenuItems)
    SetRegDword(kMenuItemsKey, item.ValueName, IsDlgButtonChecked(dialog, item.ControlId));
  if (!topItemsHidden_) {
    for (const TopItem& item : kTopItems)
      SetRegDword(kTopMenuItemsKey, item.ValueName, IsDlgButtonChecked(dialog, item.ControlId));
  }
  wchar_t masks[kAlwaysArcSize];
  GetDlgItemTextW(dialog, IDC_CONTEXTALWAYSARC, masks, static_cast<int>(kAlwaysArcSize));
  SetRegString(kMenuItemsKey, kAlwaysArcName, masks);
  SaveSettingsFile();
}

INT_PTR ContextItemsDialog::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ShowStoredChoices(dialog);
      return TRUE;
    case WM_HELP:
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          StoreChoices(dialog);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

void ShowContextItemsDialog(HWND owner, bool cascaded) {
  ContextItemsDialog dialog(cascaded);
  ShowDialog(owner, dialog);
}
