#pragma once
// Single registry values and keys read and written through the ordinary API, so
// inside the registry sandbox where a test has one.
#include <windows.h>

#include <optional>
#include <string>

#include "environment/unique_handle.h"

// The REG_SZ value (null or "" names the default value), or "<missing>" when it is
// absent or of another type; `flags` may add a view such as RRF_SUBKEY_WOW6432KEY.
inline std::wstring StoredText(HKEY root, const std::wstring& key, const wchar_t* name, DWORD flags = 0) {
  std::wstring text(32768, L'\0');
  DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | flags, nullptr, text.data(), &size) != ERROR_SUCCESS)
    return L"<missing>";
  text.resize(wcslen(text.c_str()));
  return text;
}

// The REG_DWORD value, or nothing when it is absent or of another type.
inline std::optional<DWORD> StoredDword(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD number = 0;
  DWORD size = sizeof(number);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &number, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return number;
}

// Writes a REG_SZ value, making the key as needed; false when the write failed.
inline bool PutText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Writes a REG_DWORD value, making the key as needed; false when the write failed.
inline bool PutDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number) {
  return RegSetKeyValueW(root, key.c_str(), name, REG_DWORD, &number, sizeof(number)) == ERROR_SUCCESS;
}

// True when the key can be opened for reading.
inline bool KeyExists(HKEY root, const std::wstring& key) {
  UniqueHkey opened;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}
