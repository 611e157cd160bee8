// Makes the requests "set KEY NAME TEXT" and "get KEY NAME DEFAULT" of the registry layer under HKEY_CURRENT_USER;
// each get writes "found:text" CR LF to settings_probe.out beside the program (UTF-16). Exit code 2 for a bad request.
#include <windows.h>

#include <string>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "settings/registry.h"
#include "settings/settings_store_writer.h"

int wmain(int argc, wchar_t** argv) {
  std::wstring out, text;
  int i = 1;
  for (; i + 3 < argc && (!wcscmp(argv[i], L"set") || !wcscmp(argv[i], L"get")); i += 4) {
    if (argv[i][0] == L's') SetRegString(argv[i + 1], argv[i + 2], argv[i + 3]);
    else out += (GetRegText(argv[i + 1], argv[i + 2], text, argv[i + 3]) ? L"1:" : L"0:") + text + L"\r\n";
  }
  UniqueFile file(CreateFileW(GetModuleFolderFile(L"settings_probe.out").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size() * sizeof(wchar_t)), &written, nullptr);
  WritableSettingsStore().SaveSettingsFile();  // as the program does at the end of its run
  return i == argc ? 0 : 2;
}
