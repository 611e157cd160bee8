#include "integration/options_dialog.h"

#include "environment/win_version.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {

// The boxes of the choices other than the formats, whose boxes are in ArchiveFormats.
struct ChoiceBox {
  int ControlId;
  bool IntegrationOptions::*Field;
};

constexpr ChoiceBox kChoiceBoxes[] = {
    {IDC_LINKDESKTOP, &IntegrationOptions::Desktop},
    {IDC_LINKSTARTMENU, &IntegrationOptions::StartMenu},
    {IDC_LINKPROGRAMS, &IntegrationOptions::Programs},
    {IDC_SHELLEXT, &IntegrationOptions::ShellExt},
    {IDC_SHELLCASCADED, &IntegrationOptions::CascadedMenu},
    {IDC_SHELLICONS, &IntegrationOptions::MenuIcons},
    {IDC_SHELLLEGACYMENU, &IntegrationOptions::LegacyMenu},
};

void SetBox(HWND dialog, int controlId, bool on) {
  CheckDlgButton(dialog, controlId, on ? BST_CHECKED : BST_UNCHECKED);
}

// An indeterminate box counts as checked.
bool BoxIsOn(HWND dialog, int controlId) { return IsDlgButtonChecked(dialog, controlId) != BST_UNCHECKED; }

void EnableBox(HWND dialog, int controlId, bool enabled) {
  if (HWND box = GetDlgItem(dialog, controlId)) EnableWindow(box, enabled);
}

}  // namespace

void ShowOptionsInDialog(HWND dialog, const IntegrationOptions& options) {
  for (size_t row = 0; row < ArchiveFormats.size(); ++row)
    SetBox(dialog, static_cast<int>(ArchiveFormats[row].ControlId), options.Formats[row]);
  for (const ChoiceBox& box : kChoiceBoxes) SetBox(dialog, box.ControlId, options.*box.Field);
  EnableBox(dialog, IDC_SHELLEXT, IntegrationAllowed());
  EnableBox(dialog, IDC_SHELLCASCADED, options.ShellExt);
  EnableBox(dialog, IDC_SHELLICONS, options.ShellExt);
  EnableBox(dialog, IDC_SHELLLEGACYMENU, options.ShellExt && IsWindows11());
}

void ReadOptionsFromDialog(HWND dialog, IntegrationOptions& options) {
  for (size_t row = 0; row < ArchiveFormats.size(); ++row)
    options.Formats[row] = BoxIsOn(dialog, static_cast<int>(ArchiveFormats[row].ControlId));
  for (const ChoiceBox& box : kChoiceBoxes) options.*box.Field = BoxIsOn(dialog, box.ControlId);
}
