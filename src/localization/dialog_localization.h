#pragma once
// The handling every dialog of the program gives a message before its own.
//
// For now a placeholder: it handles nothing and every message goes on to the
// dialog's own procedure. Localizing, mirroring and resizing the dialog and the
// help requests will be done here.
#include <windows.h>

// True when the message was fully handled and the dialog procedure must return
// TRUE at once. `dialogName` is the template's name; `helpTopic` is null for a
// dialog without help.
bool HandleCommonDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, const wchar_t* dialogName,
                               const wchar_t* helpTopic);
