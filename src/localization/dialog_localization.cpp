#include "localization/dialog_localization.h"

bool HandleCommonDialogMessage(HWND, UINT, WPARAM, LPARAM, const wchar_t*, const wchar_t*) { return false; }
