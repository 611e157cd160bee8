#include "settings/registry.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "environment/unique_handle.h"
#include "settings/settings_store.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kProductKey[] = L"Software\\Bramix";
constexpr REGSAM kReadAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr size_t kRegTextMaxChars = 0x10000;
constexpr DWORD kSubkeyNameMax = 200;

// KEY_WOW64_32KEY while the shell integration writes into the 32-bit view.
DWORD RegViewFlag = 0;
// Keys deleted by the current pass of RemoveRegTree.
unsigned DeletedKeyCount = 0;

bool IsProductRoot(HKEY root) { return root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE; }

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

UniqueHkey CreateRegKeyForWrite(HKEY root, const wchar_t* keyPath, LONG& status) {
  UniqueHkey key;
  status = RegCreateKeyExW(root, MakeRegKeyPath(root, OrEmpty(keyPath)).c_str(), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_WRITE | RegViewFlag, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) key.release();
  return key;
}

UniqueHkey OpenRegKeyForRead(HKEY root, const wchar_t* keyPath) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, MakeRegKeyPath(root, OrEmpty(keyPath)).c_str(), 0, kReadAccess | RegViewFlag,
                    key.put()) != ERROR_SUCCESS)
    key.release();
  return key;
}

LONG SetRegValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD type, const void* data,
                 DWORD bytes) {
  LONG status = ERROR_SUCCESS;
  UniqueHkey key = CreateRegKeyForWrite(root, keyPath, status);
  if (!key) return status;
  return RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
}

// Deletes the subkeys depth first, then the key. The enumeration index moves on
// past a child that has just been deleted, so every second sibling survives a
// pass; RemoveRegTree repeats passes until one deletes nothing.
void DeleteTreePass(HKEY root, const wchar_t* path) {
  if (path[0] == 0) return;
  {
    UniqueHkey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    const size_t pathLength = wcslen(path);
    for (DWORD index = 0;; ++index) {
      wchar_t name[kSubkeyNameMax];
      DWORD nameSize = kSubkeyNameMax;
      if (RegEnumKeyExW(key.get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      // A child path that would be cut could name the parent again (a trailing
      // backslash) or another key: leave that child alone.
      if (pathLength + 1 + nameSize >= kRegKeyPathMax) continue;
      wchar_t child[kRegKeyPathMax];
      FormatStringFixed(child, kRegKeyPathMax, L"%s\\%s", path, name);
      DeleteTreePass(root, child);
    }
  }
  if (RegDeleteKeyW(root, path) == ERROR_SUCCESS) ++DeletedKeyCount;
}

}  // namespace

std::wstring MakeRegKeyPath(HKEY root, const std::wstring& keyPath) {
  if (!IsProductRoot(root)) return keyPath;
  if (!keyPath.empty() && keyPath[0] == L'\\') return keyPath.substr(1);
  if (keyPath.empty()) return kProductKey;
  return std::wstring(kProductKey) + L"\\" + keyPath;
}

void MakeRegKeyPathFixed(HKEY root, const wchar_t* keyPath, wchar_t* buffer) {
  keyPath = OrEmpty(keyPath);
  if (!IsProductRoot(root))
    CopyTextBounded(buffer, keyPath, kRegKeyPathMax);
  else if (keyPath[0] == L'\\')
    CopyTextBounded(buffer, keyPath + 1, kRegKeyPathMax);
  else
    FormatStringFixed(buffer, kRegKeyPathMax, L"Software\\Bramix%s%s", keyPath[0] ? L"\\" : L"", keyPath);
}

void SetRegView32(bool on) { RegViewFlag = on ? KEY_WOW64_32KEY : 0; }

LONG SetRegString(HKEY root, const wchar_t* keyPath, const wchar_t* name, const wchar_t* text) {
  if (StoreSetString(root, keyPath, name, text)) return ERROR_SUCCESS;
  text = OrEmpty(text);
  return SetRegValue(root, keyPath, name, REG_SZ, text,
                     static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

LONG SetRegString(const wchar_t* keyPath, const wchar_t* name, const wchar_t* text) {
  return SetRegString(HKEY_CURRENT_USER, keyPath, name, text);
}

LONG SetRegDword(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD value) {
  if (StoreSetDword(root, keyPath, name, value)) return ERROR_SUCCESS;
  return SetRegValue(root, keyPath, name, REG_DWORD, &value, sizeof(value));
}

LONG SetRegDword(const wchar_t* keyPath, const wchar_t* name, DWORD value) {
  return SetRegDword(HKEY_CURRENT_USER, keyPath, name, value);
}

bool GetRegString(HKEY root, const wchar_t* keyPath, const wchar_t* name, wchar_t* buffer,
                  const wchar_t* defaultText, size_t size) {
  if (StoreGetString(root, keyPath, name, buffer, defaultText, size)) return true;
  if (size == 0) return false;
  if (UniqueHkey key = OpenRegKeyForRead(root, keyPath)) {
    DWORD bytes = static_cast<DWORD>(std::min<size_t>(size * sizeof(wchar_t), MAXDWORD));
    LONG status =
        RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (status == ERROR_SUCCESS) {
      buffer[std::min<size_t>(bytes / sizeof(wchar_t), size - 1)] = 0;
      return true;
    }
  }
  CopyTextBounded(buffer, OrEmpty(defaultText), size);
  return false;
}

bool GetRegString(const wchar_t* keyPath, const wchar_t* name, wchar_t* buffer, const wchar_t* defaultText,
                  size_t size) {
  return GetRegString(HKEY_CURRENT_USER, keyPath, name, buffer, defaultText, size);
}

bool GetRegText(HKEY root, const wchar_t* keyPath, const wchar_t* name, std::wstring& out,
                const wchar_t* defaultText) {
  defaultText = OrEmpty(defaultText);
  size_t chars = std::max<size_t>(GetRegValueChars(root, keyPath, name), wcslen(defaultText));
  std::vector<wchar_t> buffer(std::min(chars + 1, kRegTextMaxChars));
  bool found = GetRegString(root, keyPath, name, buffer.data(), defaultText, buffer.size());
  out = buffer.data();
  return found;
}

bool GetRegText(const wchar_t* keyPath, const wchar_t* name, std::wstring& out, const wchar_t* defaultText) {
  return GetRegText(HKEY_CURRENT_USER, keyPath, name, out, defaultText);
}

DWORD GetRegDword(const wchar_t* keyPath, const wchar_t* name, DWORD defaultValue) {
  DWORD stored = defaultValue;
  if (StoreGetDword(HKEY_CURRENT_USER, keyPath, name, defaultValue, stored)) return stored;
  UniqueHkey key = OpenRegKeyForRead(HKEY_CURRENT_USER, keyPath);
  if (!key) return defaultValue;
  // Data of 1 to 3 bytes fills only the low bytes.
  DWORD value = 0;
  DWORD bytes = sizeof(value);
  LONG status = RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &bytes);
  if (status != ERROR_SUCCESS || bytes == 0) return defaultValue;
  return value;
}

DWORD GetRegValueBytes(HKEY root, const wchar_t* keyPath, const wchar_t* name) {
  UniqueHkey key = OpenRegKeyForRead(root, keyPath);
  if (!key) return 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return 0;
  return bytes;
}

DWORD GetRegValueChars(HKEY root, const wchar_t* keyPath, const wchar_t* name) {
  DWORD count = 0;
  if (StoreGetChars(root, keyPath, name, count)) return count;
  return GetRegValueBytes(root, keyPath, name) / sizeof(wchar_t);
}

void RemoveRegValue(HKEY root, const wchar_t* keyPath, const wchar_t* name) {
  if (StoreRemove(root, keyPath, name)) return;
  UniqueHkey key;
  if (RegOpenKeyExW(root, MakeRegKeyPath(root, OrEmpty(keyPath)).c_str(), 0, KEY_WRITE, key.put()) !=
      ERROR_SUCCESS) {
    key.release();
    return;
  }
  RegDeleteValueW(key.get(), name);
}

void RemoveRegValue(const wchar_t* keyPath, const wchar_t* name) {
  RemoveRegValue(HKEY_CURRENT_USER, keyPath, name);
}

void RemoveRegKey(HKEY root, const wchar_t* keyPath) {
  if (StoreRemove(root, keyPath, L"")) return;
  std::wstring subkey = MakeRegKeyPath(root, OrEmpty(keyPath));
  if (RegViewFlag != 0)
    RegDeleteKeyExW(root, subkey.c_str(), RegViewFlag, 0);
  else
    RegDeleteKeyW(root, subkey.c_str());
}

void RemoveRegTree(HKEY root, const wchar_t* keyPath) {
  if (StoreRemove(root, keyPath, L"")) return;
  // A path that would be cut names some other key.
  if (MakeRegKeyPath(root, OrEmpty(keyPath)).size() >= kRegKeyPathMax) return;
  wchar_t subkey[kRegKeyPathMax];
  MakeRegKeyPathFixed(root, keyPath, subkey);
  do {
    DeletedKeyCount = 0;
    DeleteTreePass(root, subkey);
  } while (DeletedKeyCount != 0);
}

bool ClassKeyExists(const wchar_t* keyPath) {
  bool exists = false;
  if (StoreClassKeyExists(keyPath, exists)) return exists;
  UniqueHkey key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, OrEmpty(keyPath), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
    key.release();
    return false;
  }
  return true;
}
