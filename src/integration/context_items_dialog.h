#pragma once
// The context menu items dialog (SETUPCONTEXTITEMS): which items the shell
// extension shows, stored under Setup\MenuItems and Setup\TopMenuItems.
#include <windows.h>

// Shows the dialog, owned by `owner`; `cascaded` tells whether the settings
// dialog's cascaded-menu box is ticked. The choices are stored when the user
// confirms; nothing is stored when the dialog is cancelled or cannot be made.
void ShowContextItemsDialog(HWND owner, bool cascaded);
