// Drives another program's dialog from a shell script, through its real window:
//   dialog_remote rect CAPTION ID          prints the dialog's rectangle on the screen as WxH+X+Y
//   dialog_remote click CAPTION ID BUTTON  clicks the dialog's button BUTTON (BM_CLICK)
// The dialog is the first visible top-level dialog window with the caption CAPTION that holds a
// control ID, waited for up to 30 seconds. Exit code 0 when done; 1 when no such dialog (or no
// such button) appears in time; 2 on a malformed command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kWaitMilliseconds = 30000;

struct Search {
  const wchar_t* caption;
  int controlId;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t className[16] = {};
  wchar_t caption[256] = {};
  GetClassNameW(window, className, 16);
  GetWindowTextW(window, caption, 256);
  if (IsWindowVisible(window) && wcscmp(className, L"#32770") == 0 && wcscmp(caption, search->caption) == 0 &&
      GetDlgItem(window, search->controlId) != nullptr) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The dialog with the caption holding the control; null when none appears in time.
HWND WaitForDialog(const wchar_t* caption, int controlId) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search{caption, controlId, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr || GetTickCount() - start > kWaitMilliseconds) return search.found;
    Sleep(100);
  }
}

int PrintRect(HWND dialog) {
  RECT rect{};
  if (!GetWindowRect(dialog, &rect)) return 1;
  std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
  return 0;
}

// Posted, not sent: a button that opens a modal dialog would hold a sent message until that dialog closes.
int Click(HWND dialog, int buttonId) {
  HWND button = GetDlgItem(dialog, buttonId);
  if (button == nullptr || !IsWindowEnabled(button)) return 1;
  return PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const bool isRect = command == L"rect" && argc == 4;
  const bool isClick = command == L"click" && argc == 5;
  if (!isRect && !isClick) {
    std::fputs("usage: dialog_remote rect CAPTION ID | click CAPTION ID BUTTON\n", stderr);
    return 2;
  }
  HWND dialog = WaitForDialog(argv[2], _wtoi(argv[3]));
  if (dialog == nullptr) return 1;
  return isRect ? PrintRect(dialog) : Click(dialog, _wtoi(argv[4]));
}
