// Makes registry-layer requests given on its command line, then exits, so that a
// test can watch the settings file beside it being written back at process end.
//   set ROOT KEY NAME TEXT | dword ROOT KEY NAME NUMBER | get ROOT KEY NAME DEFAULT
//   getdword KEY NAME DEFAULT | remove ROOT KEY NAME | tree ROOT KEY | save
// ROOT is HKCU, HKLM, HKCR or NULL. Each read appends a line "found:value" to
// settings_probe.out beside the program (UTF-16). Exit code 2 for bad arguments.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "settings/registry.h"
#include "settings/settings_store.h"

namespace {

bool ParseRoot(const wchar_t* text, HKEY& root) {
  if (wcscmp(text, L"HKCU") == 0)
    root = HKEY_CURRENT_USER;
  else if (wcscmp(text, L"HKLM") == 0)
    root = HKEY_LOCAL_MACHINE;
  else if (wcscmp(text, L"HKCR") == 0)
    root = HKEY_CLASSES_ROOT;
  else if (wcscmp(text, L"NULL") == 0)
    root = nullptr;
  else
    return false;
  return true;
}

// Runs the request at argv[i] and moves i past it; false for a bad request.
bool RunRequest(wchar_t** argv, int argc, int& i, std::wstring& out) {
  const std::wstring op = argv[i];
  auto need = [&](int count) { return i + count < argc; };
  HKEY root = nullptr;
  if (op == L"set" && need(4) && ParseRoot(argv[i + 1], root)) {
    SetRegString(root, argv[i + 2], argv[i + 3], argv[i + 4]);
    i += 5;
  } else if (op == L"dword" && need(4) && ParseRoot(argv[i + 1], root)) {
    SetRegDword(root, argv[i + 2], argv[i + 3], wcstoul(argv[i + 4], nullptr, 10));
    i += 5;
  } else if (op == L"get" && need(4) && ParseRoot(argv[i + 1], root)) {
    std::wstring text;
    bool found = GetRegText(root, argv[i + 2], argv[i + 3], text, argv[i + 4]);
    out += (found ? L"1:" : L"0:") + text + L"\r\n";
    i += 5;
  } else if (op == L"getdword" && need(3)) {
    out +=
        std::to_wstring(GetRegDword(argv[i + 1], argv[i + 2], wcstoul(argv[i + 3], nullptr, 10))) + L"\r\n";
    i += 4;
  } else if (op == L"remove" && need(3) && ParseRoot(argv[i + 1], root)) {
    RemoveRegValue(root, argv[i + 2], argv[i + 3]);
    i += 4;
  } else if (op == L"tree" && need(2) && ParseRoot(argv[i + 1], root)) {
    RemoveRegTree(root, argv[i + 2]);
    i += 3;
  } else if (op == L"save") {
    SaveSettingsFile();
    i += 1;
  } else {
    return false;
  }
  return true;
}

void WriteResults(const std::wstring& text) {
  const std::wstring path = GetModuleFolderFile(L"settings_probe.out");
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (file)
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
}

}  // namespace

int wmain() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 2;
  std::wstring out;
  int result = 0;
  for (int i = 1; i < argc;) {
    if (!RunRequest(argv, argc, i, out)) {
      result = 2;
      break;
    }
  }
  LocalFree(argv);
  WriteResults(out);
  return result;
}
