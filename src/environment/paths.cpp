#include "environment/paths.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "environment/com_owners.h"
#include "environment/unique_handle.h"

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr size_t kLongPrefixLength = 4;
constexpr size_t kModulePathFirstSize = 256;
constexpr size_t kModulePathMaxSize = 65536;

bool HasLongPrefix(const std::wstring& path) { return path.compare(0, kLongPrefixLength, kLongPrefix) == 0; }

// The text of a buffer up to its first terminator (or its end).
std::wstring TextOf(const std::vector<wchar_t>& buffer) {
  size_t length = 0;
  while (length < buffer.size() && buffer[length] != 0) ++length;
  return std::wstring(buffer.data(), length);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The string value HKCU\Software\Bramix\Paths\AppData, empty when unreadable.
std::wstring ReadAppDataSetting() {
  UniqueHkey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return {};
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), L"AppData", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
    return {};
  // One more character than the data holds, so that text stored without its
  // terminator still ends inside the buffer.
  std::vector<wchar_t> buffer(size / 2 + 1, 0);
  DWORD read = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), L"AppData", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
      ERROR_SUCCESS)
    return {};
  return TextOf(buffer);
}

}  // namespace

bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(const std::wstring& path) {
  if (path.size() < 2 || path[1] != L':') return false;
  wchar_t upper = (path[0] >= L'a' && path[0] <= L'z') ? static_cast<wchar_t>(path[0] - L'a' + L'A') : path[0];
  return upper >= L'A' && upper <= L'Z';
}

bool IsFullPath(const std::wstring& path) {
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return true;
  return path.size() >= 3 && IsDriveLetter(path) && IsPathSeparator(path[2]);
}

size_t PointToName(const std::wstring& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i;
  }
  return IsDriveLetter(path) ? 2 : 0;
}

std::wstring GetNamePart(const std::wstring& path) { return path.substr(PointToName(path)); }

std::wstring GetFolderPart(const std::wstring& path) { return path.substr(0, PointToName(path)); }

void RemoveNameFromPath(std::wstring& path) {
  size_t n = PointToName(path);
  if (n >= 2 && path[1] == L':' && n < 4)
    path.resize(n);
  else if (n >= 2)
    path.resize(n - 1);
  else
    path.resize(n);
}

std::wstring SetName(const std::wstring& path, const std::wstring& name) {
  return path.substr(0, PointToName(path)) + name;
}

void AddEndSlash(std::wstring& path) {
  if (!path.empty() && path.back() != L'\\') path.push_back(L'\\');
}

std::wstring MakeName(const std::wstring& folder, const std::wstring& name) {
  std::wstring result = folder;
  bool bareDrive = IsDriveLetter(folder) && folder.size() < 3;
  if (!bareDrive) AddEndSlash(result);
  return result + name;
}

bool IsWildcard(const std::wstring& path) {
  size_t start = HasLongPrefix(path) ? kLongPrefixLength : 0;
  return path.find_first_of(L"*?", start) != std::wstring::npos;
}

wchar_t GetLastChar(const std::wstring& path) { return path.empty() ? 0 : path.back(); }

std::wstring GetModulePath() {
  std::vector<wchar_t> buffer;
  for (size_t size = kModulePathFirstSize;; size *= 4) {
    buffer.assign(size, 0);
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(size));
    if (length < size || size >= kModulePathMaxSize) break;
  }
  return TextOf(buffer);
}

std::wstring GetModuleFolderFile(const std::wstring& name) { return SetName(GetModulePath(), name); }

std::wstring GetShortPath(const std::wstring& path) {
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return L"";
  std::wstring shortPath(needed, L'\0');
  // A length of `needed` or more means the name changed between the two calls.
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
  if (length == 0 || length >= needed) return L"";
  shortPath.resize(length);
  return shortPath;
}

bool GetCurrentFolder(std::wstring& out) {
  DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return false;
  std::vector<wchar_t> buffer(needed, 0);
  // A length of `needed` or more means the folder changed between the two calls.
  DWORD length = GetCurrentDirectoryW(needed, buffer.data());
  if (length == 0 || length >= needed) return false;
  out = TextOf(buffer);
  return true;
}

bool SetCurrentFolder(const std::wstring& path) { return SetCurrentDirectoryW(path.c_str()) != FALSE; }

bool GetRoamingDataFolder(std::wstring& out) {
  // The shell allocates item lists with the task allocator.
  UniqueCoTaskMem<ITEMIDLIST> items;
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, items.put())) || !items) return false;
  if (!SHGetPathFromIDListW(items.get(), buffer) || buffer[0] == 0) return false;
  out = buffer;
  AddEndSlash(out);
  out += L"Bramix";
  return Exists(out);
}

void GetProductDataFolder(std::wstring& out) {
  out = ReadAppDataSetting();
  if (!out.empty() && Exists(out)) return;
  std::wstring roaming;
  if (GetRoamingDataFolder(roaming)) {
    out = roaming;
    return;
  }
  out = GetModulePath();
  RemoveNameFromPath(out);
}

bool MakeLongPath(const std::wstring& source, std::wstring& out) {
  if (source.empty()) return false;
  if (IsFullPath(source)) {
    if (IsDriveLetter(source)) {
      out = kLongPrefix + source;
      return true;
    }
    if (source.size() < 3) return false;
    out = std::wstring(kLongPrefix) + L"UNC" + source.substr(1);
    return true;
  }
  std::wstring current;
  if (!GetCurrentFolder(current) || current.empty()) return false;
  if (IsPathSeparator(source[0])) {
    out = kLongPrefix + current.substr(0, 1) + L":" + source;
    return true;
  }
  out = kLongPrefix + current;
  AddEndSlash(out);
  bool dotSlash = source.size() >= 2 && source[0] == L'.' && IsPathSeparator(source[1]);
  out += dotSlash ? source.substr(2) : source;
  return true;
}
