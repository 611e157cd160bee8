#pragma once
// Message boxes and display metrics that follow the language's reading direction
// and the screen's resolution.
#include <windows.h>

// Sets the reading direction of the language in force; the language loader hands
// it down when it has read the language. Left to right until then.
void SetMessageReadingDirection(bool rightToLeft);
// The direction last set: true for right to left.
bool MessagesReadRightToLeft();
// Shows a message box; right to left adds MB_RTLREADING | MB_RIGHT.
// Returns MessageBoxW's result.
int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);
// Keeps one control reading left to right inside a mirrored dialog.
void KeepLeftToRightReading(HWND control);
// The screen's vertical dots per inch, measured once; 0 when it cannot be measured.
int GetScreenDpiY();
// -(12 * dpi) / 96, truncated toward zero.
int GetBoldFontHeight();
// The same rule for a given resolution.
constexpr int BoldFontHeightForDpi(int dpi) { return -(12 * dpi) / 96; }
