#pragma once
#include <windows.h>

// The completion dialog (DONEDLG) shown after a confirmed setup.
INT_PTR CALLBACK DoneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
