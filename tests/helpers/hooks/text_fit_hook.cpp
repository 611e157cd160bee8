// A window hook that the text-fit test sets on the program's dialog thread, so that it
// runs inside the program, where the controls' fonts can be used (a font handle means
// nothing in another process). When the dialog is sent the registered message
// "TextFitMeasure", the hook writes to "<its own path>.txt" one line per static text,
// check box, radio button, push button and group box that has a text:
//   <control id> <width needed> <width there is> <height needed> <height there is>
// in pixels at the control's own font; nothing when the file cannot be made.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// A control's device context with the control's font selected, both given back at the end.
class ControlDc {
 public:
  explicit ControlDc(HWND control) : control_(control), dc_(GetDC(control)) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    old_ = SelectObject(dc_, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
  }
  ~ControlDc() {
    SelectObject(dc_, old_);
    ReleaseDC(control_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND control_;
  HDC dc_;
  HGDIOBJ old_;
};

// A one-line text as shown, its mnemonic marks left out.
SIZE OneLine(HDC dc, const std::wstring& text) {
  std::wstring shown;
  for (size_t i = 0; i < text.size(); ++i) shown += text[i] == L'&' && i + 1 < text.size() ? text[++i] : text[i];
  SIZE size{};
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  return size;
}

// What a button's drawing takes of its width besides the text.
LONG ButtonEdges(LONG type, HDC dc) {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return 2 * (GetSystemMetrics(SM_CXEDGE) + 1);  // edge, focus
  if (type == BS_GROUPBOX) return 2 * metrics.tmAveCharWidth;  // the title's indent from either side
  return GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;  // the box and the gap after it
}

// Writes the control's line when it is a static or a button with a text.
void Report(FILE* file, HWND control) {
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  const bool isStatic = lstrcmpiW(className, L"Static") == 0;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  if ((!isStatic && lstrcmpiW(className, L"Button") != 0) || text.empty()) return;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  RECT room{};
  GetClientRect(control, &room);
  ControlDc dc(control);
  SIZE needed{};
  if (isStatic) {  // the dialogs' statics wrap their words
    RECT wrapped{0, 0, room.right, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &wrapped,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    needed = {wrapped.right, wrapped.bottom};
  } else {
    needed = OneLine(dc.get(), text);
    room.right -= ButtonEdges(style & BS_TYPEMASK, dc.get());
  }
  std::fprintf(file, "%d %ld %ld %ld %ld\n", GetDlgCtrlID(control), needed.cx, room.right, needed.cy, room.bottom);
}

void ReportControls(HWND dialog) {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ReportControls), &self);
  wchar_t path[MAX_PATH + 4] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  FILE* file = length > 0 && length < MAX_PATH ? _wfopen(lstrcatW(path, L".txt"), L"w") : nullptr;
  if (file == nullptr) return;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    Report(file, child);
  std::fclose(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK TextFitHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT measure = RegisterWindowMessageW(L"TextFitMeasure");
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == measure) ReportControls(call->hwnd);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
