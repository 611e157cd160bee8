// Makes the requests "set KEY NAME TEXT" and "get KEY NAME DEFAULT" of the registry layer under
// HKEY_CURRENT_USER and exits; each get appends "found:text" and CR LF to settings_probe.out
// beside the program (UTF-16). Exit code 2 for a bad request.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "settings/registry.h"

int wmain() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring out, text;
  int i = 1;
  for (; argv && i + 3 < argc; i += 4) {
    if (wcscmp(argv[i], L"set") == 0)
      SetRegString(argv[i + 1], argv[i + 2], argv[i + 3]);
    else if (wcscmp(argv[i], L"get") == 0)
      out += (GetRegText(argv[i + 1], argv[i + 2], text, argv[i + 3]) ? L"1:" : L"0:") + text + L"\r\n";
    else
      break;
  }
  UniqueFile file(CreateFileW(GetModuleFolderFile(L"settings_probe.out").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size() * sizeof(wchar_t)), &written, nullptr);
  const bool bad = !argv || i != argc;
  LocalFree(argv);
  return bad ? 2 : 0;
}
