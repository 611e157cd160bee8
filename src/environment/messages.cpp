#include "environment/messages.h"

namespace {

constexpr UINT kRightToLeftBoxFlags = MB_RTLREADING | MB_RIGHT;

bool readRightToLeft = false;
int screenDpiY = 0;

}  // namespace

void SetMessageReadingDirection(bool rightToLeft) { readRightToLeft = rightToLeft; }

bool MessagesReadRightToLeft() { return readRightToLeft; }

int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
  if (readRightToLeft) flags |= kRightToLeftBoxFlags;
  return MessageBoxW(owner, text, caption, flags);
}

void KeepLeftToRightReading(HWND control) {
  if (!readRightToLeft) return;
  LONG style = GetWindowLongW(control, GWL_EXSTYLE);
  SetWindowLongW(control, GWL_EXSTYLE, style & ~WS_EX_RTLREADING);
}

int GetScreenDpiY() {
  if (screenDpiY == 0) {
    if (HDC screen = GetDC(nullptr)) {
      screenDpiY = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
  }
  return screenDpiY;
}

int GetBoldFontHeight() { return BoldFontHeightForDpi(GetScreenDpiY()); }
