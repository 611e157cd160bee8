// Answers one question about the running Windows through its exit code, with COM
// and OLE initialised as the program's entry routine does: "windows11" exits with 1
// or 0 (IsWindows11), "version" with GetWinVersion. Anything else exits with 255.
#include <windows.h>
#include <ole2.h>

#include <cwchar>

#include "environment/win_version.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 255;
  if (FAILED(OleInitialize(nullptr))) return 255;
  int answer = 255;
  if (!wcscmp(argv[1], L"windows11")) answer = IsWindows11() ? 1 : 0;
  if (!wcscmp(argv[1], L"version")) answer = static_cast<int>(GetWinVersion());
  OleUninitialize();
  return answer;
}
