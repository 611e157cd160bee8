#include "support/registry_snapshot.h"

#include <algorithm>
#include <iterator>

#include "environment/unique_handle.h"

namespace {

void Walk(HKEY root, const std::wstring& path, REGSAM view, RegistryLines& lines) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return;
  lines.insert(path);
  static wchar_t name[16384];
  static BYTE data[65536];
  for (DWORD i = 0;; ++i) {
    DWORD nameChars = std::size(name);
    DWORD dataBytes = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueW(key.get(), i, name, &nameChars, nullptr, &type, data, &dataBytes) != ERROR_SUCCESS) break;
    std::wstring line = path + L"|" + name + L"|" + std::to_wstring(type) + L"|";
    for (DWORD b = 0; b < dataBytes; ++b) line += std::to_wstring(data[b]) + L" ";
    lines.insert(line);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameChars = std::size(name);
    if (RegEnumKeyExW(key.get(), i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Walk(root, path + L"\\" + name, view, lines);
  }
}

}  // namespace

// HKEY_CLASSES_ROOT is made of the two Software\Classes keys, so the two Software
// trees hold all three.
RegistryLines RegistrySnapshot() {
  RegistryLines lines;
  Walk(HKEY_LOCAL_MACHINE, L"Software", KEY_WOW64_64KEY, lines);
  Walk(HKEY_CURRENT_USER, L"Software", KEY_WOW64_64KEY, lines);
  return lines;
}

RegistryLines RegistryTree(HKEY root, const std::wstring& path) {
  RegistryLines lines;
  Walk(root, path, 0, lines);
  return lines;
}

RegistryLines Minus(const RegistryLines& a, const RegistryLines& b) {
  RegistryLines result;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
  return result;
}
