// A window hook that a test sets on another program's dialog thread, so that it runs
// inside that program, where the controls' fonts can be used (a font handle means
// nothing in another process). When the dialog is sent the registered message
// "TextFitMeasure", the hook writes beside itself, to "<its own path>.txt", one line
// per static text, check box, radio button, push button and group box of the dialog
// that has a text:
//   <control id> <width the text needs> <width it has> <height it needs> <height it has>
// in pixels, measured at the control's own font. Nothing is written when the file
// cannot be made.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Need {
  SIZE needed;
  SIZE room;
};

// The text without its mnemonic marks, as a one-line control shows it.
std::wstring WithoutMnemonics(const std::wstring& text) {
  std::wstring shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

SIZE OneLine(HDC dc, const std::wstring& text) {
  const std::wstring shown = WithoutMnemonics(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  return size;
}

// What a word-wrapped static needs at its own width; a word longer than the width
// makes the needed width exceed it.
SIZE Wrapped(HDC dc, const std::wstring& text, LONG width, bool noPrefix) {
  RECT rect{0, 0, width, 0};
  UINT format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// Whether the control is one whose text is measured, and what it needs and has.
bool Measure(HWND control, Need& need) {
  wchar_t className[32] = {};
  GetClassNameW(control, className, 32);
  const bool isButton = lstrcmpiW(className, L"Button") == 0;
  const bool isStatic = lstrcmpiW(className, L"Static") == 0;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  if ((!isButton && !isStatic) || text.empty()) return false;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  RECT client{};
  GetClientRect(control, &client);
  need.room = {client.right, client.bottom};
  HDC dc = GetDC(control);
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
  if (isStatic) {
    const LONG type = style & SS_TYPEMASK;
    if (type > SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE) {
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      return false;
    }
    need.needed = type <= SS_RIGHT ? Wrapped(dc, text, client.right, (style & SS_NOPREFIX) != 0) : OneLine(dc, text);
  } else {
    need.needed = OneLine(dc, text);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        // The box, and the gap of half an average character between it and the text.
        need.room.cx -= GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;
        break;
      case BS_GROUPBOX:
        // The title is indented by about one average character from each side.
        need.room.cx -= 2 * metrics.tmAveCharWidth;
        break;
      default:
        // A push button's raised edge and its focus rectangle on both sides.
        need.room.cx -= 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
        break;
    }
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return true;
}

void WriteReport(HWND dialog) {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&WriteReport), &self);
  wchar_t path[MAX_PATH + 4] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  lstrcatW(path, L".txt");
  FILE* file = _wfopen(path, L"w");
  if (file == nullptr) return;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    Need need{};
    if (Measure(child, need))
      std::fprintf(file, "%d %ld %ld %ld %ld\n", GetDlgCtrlID(child), need.needed.cx, need.room.cx, need.needed.cy,
                   need.room.cy);
  }
  std::fclose(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK TextFitHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  static const UINT measure = RegisterWindowMessageW(L"TextFitMeasure");
  if (code == HC_ACTION && call->message == measure) WriteReport(call->hwnd);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
