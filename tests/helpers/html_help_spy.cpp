// Loaded by a test into a running Uninstall.exe (LoadLibraryW in a thread it starts there).
// From then on the program's look-up of HtmlHelpW finds a stand-in that appends the
// command and the address it is given, as the line "<command> <address>" (UTF-8), to
// "<this library's path>.args", and then passes the call on to the real help control,
// so that its window still appears.
#include <windows.h>

#include <cstring>
#include <string>

#include "environment/unique_handle.h"
#include "support/import_patch.h"

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);

void* originalFindProc = nullptr;
HtmlHelpFunction realHtmlHelp = nullptr;

std::wstring OwnPath() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnPath), &self);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(self, path, MAX_PATH);
  return path;
}

void Append(UINT command, const wchar_t* address) {
  const std::wstring line = std::to_wstring(command) + L" " + (address ? address : L"") + L"\n";
  char bytes[4096] = {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes, sizeof(bytes), nullptr, nullptr);
  const UniqueFile file(
      CreateFileW((OwnPath() + L".args").c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (file && size > 1) WriteFile(file.get(), bytes, size - 1, &written, nullptr);
}

HWND WINAPI RecordAndShow(HWND owner, const wchar_t* address, UINT command, DWORD_PTR data) {
  Append(command, address);
  return realHtmlHelp(owner, address, command, data);
}

FARPROC WINAPI FindProc(HMODULE module, LPCSTR name) {
  const FARPROC found = reinterpret_cast<decltype(&GetProcAddress)>(originalFindProc)(module, name);
  if (found == nullptr || HIWORD(reinterpret_cast<ULONG_PTR>(name)) == 0) return found;
  if (strcmp(name, "HtmlHelpW") != 0) return found;
  realHtmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(found));
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordAndShow));
}

// Patches the import table of the program the library is loaded into.
const ScopedImportPatch patch{"GetProcAddress", reinterpret_cast<void*>(FindProc), &originalFindProc};

}  // namespace
