#pragma once
// The handling every dialog of the program gives a message before its own: the
// dialog is mirrored for right-to-left languages, takes its texts, caption and
// size from the language file when it opens, and opens the help at its topic.
#include <windows.h>

#include <cstddef>

// Gives the common handling to one message of a dialog. `dialogName` is the
// template's name; `helpTopic` is null for a dialog without help. True when the
// message was fully handled (WM_HELP) and the dialog procedure must return TRUE at
// once; every other message goes on to the dialog's own procedure.
bool HandleCommonDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, const wchar_t* dialogName,
                               const wchar_t* helpTopic);

// Sets the language file's texts of the dialog's listed controls and its caption,
// and resizes it (children included) by the language file's size adjustment.
// Controls without a text keep their template text; an absent or invalid size
// adjustment leaves size, position and children as they are.
void LocalizeDialog(HWND dialog, const wchar_t* dialogName);

// The language file's text of "$<dialogName>:<itemName>" (truncated to capacity - 1
// units); false, buffer untouched, when there is none or the key cannot be formed.
bool FindDialogText(const wchar_t* dialogName, const char* itemName, wchar_t* buffer, size_t capacity);

// The size adjustment of the dialog: horizontal and vertical percentages. False
// (outputs untouched) when there is none, it lacks '*', a number is below 1 or both
// are 100.
bool ReadDialogSize(const wchar_t* dialogName, int& percentX, int& percentY);

// Mirrors the dialog (WS_EX_LAYOUTRTL) when the language reads right to left;
// otherwise does nothing.
void ApplyDialogDirection(HWND dialog);
