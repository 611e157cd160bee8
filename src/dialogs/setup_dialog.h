#pragma once
#include <windows.h>

// The integration settings dialog (SETUPDLG). Ends with a non-zero result when
// the user confirms.
INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
