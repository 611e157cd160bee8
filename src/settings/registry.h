#pragma once
// All registry access of the program. Under HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE a key path is relative to Software\Bramix unless it begins
// with '\'; under other roots it is used unchanged. Every request is first offered
// to the settings store, which may serve it from Bramix.ini or suppress it. No key
// stays open between calls; no operation reports an error to the user.
#include <windows.h>

#include <string>

// The real subkey for a root and key path.
[[nodiscard]] std::wstring MakeRegKeyPath(HKEY root, const std::wstring& keyPath);

// While a scope lives, string and number writes, reads and RemoveRegKey reach the
// 32-bit view of the registry; RemoveRegValue, RemoveRegTree and ClassKeyExists
// keep to the process's own view. The view in force before the scope comes back
// when it ends, so scopes nest.
class RegView32Scope {
 public:
  RegView32Scope();
  ~RegView32Scope();
  RegView32Scope(const RegView32Scope&) = delete;
  RegView32Scope& operator=(const RegView32Scope&) = delete;

 private:
  REGSAM previous_;
};

// Writes return the Win32 status of the failing call, 0 on success.
LONG SetRegString(HKEY root, const wchar_t* keyPath, const wchar_t* name, const wchar_t* text);
LONG SetRegString(const wchar_t* keyPath, const wchar_t* name, const wchar_t* text);
LONG SetRegDword(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD value);
LONG SetRegDword(const wchar_t* keyPath, const wchar_t* name, DWORD value);

// True when found; otherwise the buffer holds the default (cut to size - 1). A
// value larger than the buffer counts as not found.
[[nodiscard]] bool GetRegString(HKEY root, const wchar_t* keyPath, const wchar_t* name, wchar_t* buffer,
                                const wchar_t* defaultText, size_t size);
[[nodiscard]] bool GetRegString(const wchar_t* keyPath, const wchar_t* name, wchar_t* buffer,
                                const wchar_t* defaultText, size_t size);
// A string of any length up to 65,535 characters; `out` = the default when not found.
[[nodiscard]] bool GetRegText(HKEY root, const wchar_t* keyPath, const wchar_t* name, std::wstring& out,
                              const wchar_t* defaultText);
[[nodiscard]] bool GetRegText(const wchar_t* keyPath, const wchar_t* name, std::wstring& out,
                              const wchar_t* defaultText);
// A number under HKEY_CURRENT_USER, or the default when missing or empty.
[[nodiscard]] DWORD GetRegDword(const wchar_t* keyPath, const wchar_t* name, DWORD defaultValue);
// The data size in bytes, 0 when absent.
[[nodiscard]] DWORD GetRegValueBytes(HKEY root, const wchar_t* keyPath, const wchar_t* name);
// The size in characters (the settings store's entry length + 1 when it serves it).
[[nodiscard]] DWORD GetRegValueChars(HKEY root, const wchar_t* keyPath, const wchar_t* name);

// Best-effort deletes; every failure is ignored.
void RemoveRegValue(HKEY root, const wchar_t* keyPath, const wchar_t* name);
void RemoveRegValue(const wchar_t* keyPath, const wchar_t* name);
// Deletes a key without subkeys.
void RemoveRegKey(HKEY root, const wchar_t* keyPath);
// Deletes a key with everything under it, whatever the length of the names and
// paths below it; the root itself is never deleted.
void RemoveRegTree(HKEY root, const wchar_t* keyPath);

// True when HKEY_CLASSES_ROOT\keyPath can be opened.
[[nodiscard]] bool ClassKeyExists(const wchar_t* keyPath);
