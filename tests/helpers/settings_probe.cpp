// Makes the requests "set KEY NAME TEXT" and "get KEY NAME DEFAULT" of the registry layer under HKEY_CURRENT_USER;
// each get writes "found:text" CR LF to settings_probe.out beside the program (UTF-16), found being 1 or 0.
// Exit code 2 for a bad request.
#include <windows.h>

#include <string>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "settings/registry.h"
#include "settings/settings_store_writer.h"

namespace {

void WriteOutput(const std::wstring& out) {
  UniqueFile file(CreateFileW(GetModuleFolderFile(L"settings_probe.out").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size() * sizeof(wchar_t)), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring out;
  int i = 1;
  for (; i + 3 < argc; i += 4) {
    const std::wstring request = argv[i];
    if (request == L"set") {
      SetRegString(argv[i + 1], argv[i + 2], argv[i + 3]);
    } else if (request == L"get") {
      std::wstring text;
      const bool found = GetRegText(argv[i + 1], argv[i + 2], text, argv[i + 3]);
      out += found ? L"1:" : L"0:";
      out += text + L"\r\n";
    } else {
      break;
    }
  }
  WriteOutput(out);
  WritableSettingsStore().SaveSettingsFile();  // as the program does at the end of its run
  return i == argc ? 0 : 2;
}
