#pragma once
// The integration choices in the check boxes of the integration settings dialog.
#include <windows.h>

#include "integration/integration_options.h"

// Checks or clears the 18 format boxes and the shortcut and shell-extension boxes
// from the record, then enables the shell-extension box only when the settings
// file allows integration, the cascaded-menu and icon boxes only with the shell
// extension on, and the legacy-menu box only with the shell extension on Windows
// 11. Boxes missing from the dialog are passed over.
void ShowOptionsInDialog(HWND dialog, const IntegrationOptions& options);
// Sets each choice from its box: on when the box is checked or indeterminate, off
// when it is clear or missing. ExtAll and the two spare format flags are left as
// they were.
void ReadOptionsFromDialog(HWND dialog, IntegrationOptions& options);
