#include "settings/registry.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

#include "environment/unique_handle.h"
#include "settings/settings_store_writer.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kProductKey[] = L"Software\\Bramix";
constexpr REGSAM kReadAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr size_t kRegTextMaxChars = 0x10000;
// The registry's limit for one subkey name, with room for the terminator.
constexpr DWORD kSubkeyNameChars = 256;

// KEY_WOW64_32KEY while a RegView32Scope lives; written by RegView32Scope only.
REGSAM regViewFlag = 0;

// Whether an operation reaches the view chosen by RegView32Scope or always the
// process's own view.
enum class View { Chosen, Own };

SettingsStore& Store() { return WritableSettingsStore(); }

bool IsProductRoot(HKEY root) { return root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE; }

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

REGSAM WithView(REGSAM access, View view) { return view == View::Chosen ? access | regViewFlag : access; }

// Opens `subkey` below an open key or a root; empty when that fails.
[[nodiscard]] UniqueHkey OpenSubkey(HKEY parent, const std::wstring& subkey, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, subkey.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return UniqueHkey(key);
}

// Opens the real subkey of a key path; empty when that fails.
[[nodiscard]] UniqueHkey OpenRegKey(HKEY root, const wchar_t* keyPath, REGSAM access, View view) {
  return OpenSubkey(root, MakeRegKeyPath(root, OrEmpty(keyPath)), WithView(access, view));
}

// Opens or creates the real subkey of a key path for writing; `status` is the
// result of the create call.
[[nodiscard]] UniqueHkey CreateRegKeyForWrite(HKEY root, const wchar_t* keyPath, LONG& status) {
  HKEY key = nullptr;
  status = RegCreateKeyExW(root, MakeRegKeyPath(root, OrEmpty(keyPath)).c_str(), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, WithView(KEY_WRITE, View::Chosen), nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return {};
  return UniqueHkey(key);
}

LONG SetRegValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD type, const void* data,
                 DWORD bytes) {
  LONG status = ERROR_SUCCESS;
  UniqueHkey key = CreateRegKeyForWrite(root, keyPath, status);
  if (!key) return status;
  return RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
}

// Room for the longest subkey name of an open key and its terminator.
DWORD SubkeyNameChars(HKEY key) {
  DWORD longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return kSubkeyNameChars;
  return std::max(longest + 1, kSubkeyNameChars);
}

// Deletes the subkeys of parent\name depth first, then the key itself, and
// returns how many keys went. Children are opened and deleted through their
// parent's handle, so no path longer than one name is ever formed: a product key
// must not stay behind (with an open command naming a deleted program) because of
// the length of a name or a path below it. The enumeration index moves on past a
// child that has just been deleted, so every second sibling survives a pass;
// RemoveRegTree repeats passes until one deletes nothing.
unsigned DeleteTreePass(HKEY parent, const std::wstring& name) {
  if (name.empty()) return 0;
  UniqueHkey key = OpenSubkey(parent, name, KEY_READ);
  if (!key) return 0;
  unsigned deleted = 0;
  std::wstring child(SubkeyNameChars(key.get()), L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD chars = static_cast<DWORD>(child.size());
    LONG status = RegEnumKeyExW(key.get(), index, child.data(), &chars, nullptr, nullptr, nullptr, nullptr);
    // A name longer than the buffer (added after the key was measured) is passed
    // over; its siblings still go.
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    deleted += DeleteTreePass(key.get(), child.substr(0, chars));
  }
  key.reset();
  if (RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS) ++deleted;
  return deleted;
}

}  // namespace

std::wstring MakeRegKeyPath(HKEY root, const std::wstring& keyPath) {
  if (!IsProductRoot(root)) return keyPath;
  if (!keyPath.empty() && keyPath[0] == L'\\') return keyPath.substr(1);
  if (keyPath.empty()) return kProductKey;
  return std::wstring(kProductKey) + L"\\" + keyPath;
}

RegView32Scope::RegView32Scope() : previous_(std::exchange(regViewFlag, KEY_WOW64_32KEY)) {}

RegView32Scope::~RegView32Scope() { regViewFlag = previous_; }

LONG SetRegString(HKEY root, const wchar_t* keyPath, const wchar_t* name, const wchar_t* text) {
  if (Store().SetString(root, keyPath, name, text)) return ERROR_SUCCESS;
  text = OrEmpty(text);
  return SetRegValue(root, keyPath, name, REG_SZ, text,
                     static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

LONG SetRegString(const wchar_t* keyPath, const wchar_t* name, const wchar_t* text) {
  return SetRegString(HKEY_CURRENT_USER, keyPath, name, text);
}

LONG SetRegDword(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD value) {
  if (Store().SetDword(root, keyPath, name, value)) return ERROR_SUCCESS;
  return SetRegValue(root, keyPath, name, REG_DWORD, &value, sizeof(value));
}

LONG SetRegDword(const wchar_t* keyPath, const wchar_t* name, DWORD value) {
  return SetRegDword(HKEY_CURRENT_USER, keyPath, name, value);
}

bool GetRegString(HKEY root, const wchar_t* keyPath, const wchar_t* name, wchar_t* buffer,
                  const wchar_t* defaultText, size_t size) {
  if (Store().GetString(root, keyPath, name, buffer, defaultText, size)) return true;
  if (size == 0) return false;
  if (UniqueHkey key = OpenRegKey(root, keyPath, kReadAccess, View::Chosen)) {
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
  if (Store().GetDword(HKEY_CURRENT_USER, keyPath, name, defaultValue, stored)) return stored;
  UniqueHkey key = OpenRegKey(HKEY_CURRENT_USER, keyPath, kReadAccess, View::Chosen);
  if (!key) return defaultValue;
  // Data of 1 to 3 bytes fills only the low bytes.
  DWORD value = 0;
  DWORD bytes = sizeof(value);
  LONG status = RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &bytes);
  if (status != ERROR_SUCCESS || bytes == 0) return defaultValue;
  return value;
}

DWORD GetRegValueBytes(HKEY root, const wchar_t* keyPath, const wchar_t* name) {
  UniqueHkey key = OpenRegKey(root, keyPath, kReadAccess, View::Chosen);
  if (!key) return 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return 0;
  return bytes;
}

DWORD GetRegValueChars(HKEY root, const wchar_t* keyPath, const wchar_t* name) {
  DWORD count = 0;
  if (Store().GetChars(root, keyPath, name, count)) return count;
  return GetRegValueBytes(root, keyPath, name) / sizeof(wchar_t);
}

void RemoveRegValue(HKEY root, const wchar_t* keyPath, const wchar_t* name) {
  if (Store().Remove(root, keyPath, name)) return;
  if (UniqueHkey key = OpenRegKey(root, keyPath, KEY_WRITE, View::Own)) RegDeleteValueW(key.get(), name);
}

void RemoveRegValue(const wchar_t* keyPath, const wchar_t* name) {
  RemoveRegValue(HKEY_CURRENT_USER, keyPath, name);
}

void RemoveRegKey(HKEY root, const wchar_t* keyPath) {
  if (Store().Remove(root, keyPath, L"")) return;
  const std::wstring subkey = MakeRegKeyPath(root, OrEmpty(keyPath));
  if (regViewFlag != 0)
    RegDeleteKeyExW(root, subkey.c_str(), regViewFlag, 0);
  else
    RegDeleteKeyW(root, subkey.c_str());
}

void RemoveRegTree(HKEY root, const wchar_t* keyPath) {
  if (Store().Remove(root, keyPath, L"")) return;
  const std::wstring subkey = MakeRegKeyPath(root, OrEmpty(keyPath));
  while (DeleteTreePass(root, subkey) != 0) {
  }
}

bool ClassKeyExists(const wchar_t* keyPath) {
  bool exists = false;
  if (Store().ClassKeyExists(keyPath, exists)) return exists;
  return static_cast<bool>(OpenRegKey(HKEY_CLASSES_ROOT, keyPath, KEY_QUERY_VALUE, View::Own));
}
