#include "localization/dialog_localization.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#include "environment/help_viewer.h"
#include "localization/key_table.h"
#include "localization/strings.h"
#include "text/text_utils.h"

namespace {

constexpr size_t kKeyBufferSize = 80;  // 79 characters and the terminator
constexpr size_t kSizeTextCapacity = 512;
constexpr size_t kChildLimit = 512;
constexpr size_t kClassNameSize = 256;
constexpr UINT kNoZOrder = SWP_NOZORDER | SWP_NOOWNERZORDER;

// The window's outer rectangle and the sizes of its frame, measured the way the
// size adjustment counts: a width is right - left + 1.
struct DialogMetrics {
  RECT Window;
  int64_t Width, Height;
  int64_t ClientWidth, ClientHeight;
  int64_t FrameWidth, FrameHeight;
};

int64_t SpanOf(LONG low, LONG high) { return static_cast<int64_t>(high) - low + 1; }

int ToInt(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

int64_t Scale(int64_t value, int percent) { return value * percent / 100; }

// Forms "$<dialog>:<item>" (at most 79 characters) in the ANSI code page.
bool FormDialogKey(const wchar_t* dialogName, const wchar_t* itemName, char (&key)[kKeyBufferSize]) {
  wchar_t wide[kKeyBufferSize];
  FormatStringFixed(wide, kKeyBufferSize, L"$%s:%s", dialogName, itemName);
  return WideToAnsi(wide, key, kKeyBufferSize);
}

void SetListedControlTexts(HWND dialog, const wchar_t* dialogName) {
  char prefix[kKeyBufferSize];
  if (!FormDialogKey(dialogName, L"", prefix)) return;
  const size_t prefixLength = strlen(prefix);
  wchar_t text[kLocalizedBufferSize];
  for (const KeyRow& row : KeyTable()) {
    if (row.Id == 0 || strncmp(row.Name, prefix, prefixLength) != 0) continue;
    if (FindLanguageText(row.Name, text, kLocalizedBufferSize)) SetDlgItemTextW(dialog, static_cast<int>(row.Id), text);
  }
}

DialogMetrics MeasureDialog(HWND dialog) {
  DialogMetrics m{};
  GetWindowRect(dialog, &m.Window);
  RECT client{};
  GetClientRect(dialog, &client);
  m.Width = SpanOf(m.Window.left, m.Window.right);
  m.Height = SpanOf(m.Window.top, m.Window.bottom);
  m.ClientWidth = SpanOf(client.left, client.right);
  m.ClientHeight = SpanOf(client.top, client.bottom);
  m.FrameWidth = m.Width - m.ClientWidth;
  m.FrameHeight = m.Height - m.ClientHeight;
  return m;
}

// Gives the client area the new percentages; only a DS_CENTER dialog keeps its
// centre, the others keep their top-left corner.
void ResizeDialog(HWND dialog, const DialogMetrics& m, int percentX, int percentY) {
  const int64_t newWidth = Scale(m.ClientWidth, percentX) + m.FrameWidth;
  const int64_t newHeight = Scale(m.ClientHeight, percentY) + m.FrameHeight;
  const int64_t x = std::max<int64_t>(0, m.Window.left + (m.Width - newWidth) / 2);
  const int64_t y = std::max<int64_t>(0, m.Window.top + (m.Height - newHeight) / 2);
  UINT flags = kNoZOrder;
  if ((GetWindowLongW(dialog, GWL_STYLE) & DS_CENTER) == 0) flags |= SWP_NOMOVE;
  SetWindowPos(dialog, nullptr, ToInt(x), ToInt(y), ToInt(newWidth), ToInt(newHeight), flags);
}

bool IsDropDownCombo(HWND child) {
  wchar_t className[kClassNameSize] = {};
  GetClassNameW(child, className, static_cast<int>(kClassNameSize));
  if (CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, className, -1, L"COMBOBOX", -1) !=
      CSTR_EQUAL)
    return false;
  return (GetWindowLongW(child, GWL_STYLE) & 3) != CBS_SIMPLE;
}

// The client origin is estimated from the frame measured before the resize: half
// the frame width to the left, the frame height less one fixed frame above.
void MoveAndScaleChild(HWND child, const DialogMetrics& m, const RECT& newWindow, int percentX, int percentY) {
  RECT r{};
  GetWindowRect(child, &r);
  const int64_t originX = m.FrameWidth / 2 + newWindow.left;
  const int64_t originY = m.FrameHeight - GetSystemMetrics(SM_CYFIXEDFRAME) + newWindow.top;
  const int64_t x = Scale(r.left - originX, percentX);
  const int64_t y = Scale(r.top - originY, percentY);
  const int64_t width = Scale(SpanOf(r.left, r.right), percentX);
  int64_t height = Scale(SpanOf(r.top, r.bottom), percentY);
  if (IsDropDownCombo(child)) {
    RECT dropped{};
    SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    height += Scale(SpanOf(dropped.top, dropped.bottom), percentY);
  }
  SetWindowPos(child, nullptr, ToInt(x), ToInt(y), ToInt(width), ToInt(height), kNoZOrder);
}

void MoveAndScaleChildren(HWND dialog, const DialogMetrics& m, int percentX, int percentY) {
  RECT newWindow{};
  GetWindowRect(dialog, &newWindow);
  const HWND first = GetWindow(dialog, GW_CHILD);
  HWND child = first;
  for (size_t i = 0; child != nullptr && i < kChildLimit; ++i) {
    MoveAndScaleChild(child, m, newWindow, percentX, percentY);
    child = GetWindow(child, GW_HWNDNEXT);
    if (child == first) break;
  }
}

}  // namespace

bool FindDialogText(const wchar_t* dialogName, const char* itemName, wchar_t* buffer, size_t capacity) {
  const std::wstring item = AnsiToWideString(itemName);
  char key[kKeyBufferSize];
  if (!FormDialogKey(dialogName, item.c_str(), key)) return false;
  return FindLanguageText(key, buffer, capacity);
}

bool ReadDialogSize(const wchar_t* dialogName, int& percentX, int& percentY) {
  wchar_t text[kSizeTextCapacity];
  if (!FindDialogText(dialogName, "SIZE", text, kSizeTextCapacity)) return false;
  const wchar_t* star = wcschr(text, L'*');
  if (star == nullptr) return false;
  const int x = ToInt(TextToInt64(text));
  const int y = ToInt(TextToInt64(star + 1));
  if (x < 1 || y < 1 || (x == 100 && y == 100)) return false;
  percentX = x;
  percentY = y;
  return true;
}

void ApplyDialogDirection(HWND dialog) {
  if (!IsRightToLeft()) return;
  SetWindowLongW(dialog, GWL_EXSTYLE, GetWindowLongW(dialog, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
}

void LocalizeDialog(HWND dialog, const wchar_t* dialogName) {
  SetListedControlTexts(dialog, dialogName);
  int percentX = 0;
  int percentY = 0;
  const bool resize = ReadDialogSize(dialogName, percentX, percentY);
  const DialogMetrics metrics = MeasureDialog(dialog);
  if (resize) ResizeDialog(dialog, metrics, percentX, percentY);
  wchar_t caption[kLocalizedBufferSize];
  if (FindDialogText(dialogName, "CAPTION", caption, kLocalizedBufferSize)) SetWindowTextW(dialog, caption);
  if (resize) MoveAndScaleChildren(dialog, metrics, percentX, percentY);
}

bool HandleCommonDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM, const wchar_t* dialogName,
                               const wchar_t* helpTopic) {
  switch (message) {
    case WM_SETFONT:
      ApplyDialogDirection(dialog);
      return false;
    case WM_HELP:
      if (helpTopic != nullptr) ShowHelp(helpTopic);
      return true;
    case WM_INITDIALOG:
      LocalizeDialog(dialog, dialogName);
      return false;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDHELP && helpTopic != nullptr) ShowHelp(helpTopic);
      return false;
    default:
      return false;
  }
}
