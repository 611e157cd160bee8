#pragma once
// Files and texts as raw bytes, for setting up and checking what the program reads
// and writes.
#include <windows.h>

#include <string>

#include "environment/unique_handle.h"

// The "\\?\" form of a full path, for the test's own set-up and checks.
inline std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

// Writes a file of any name length with exactly these bytes, making its folders
// first; false when the file could not be written.
inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  for (size_t i = path.find(L'\\', 3); i != std::wstring::npos; i = path.find(L'\\', i + 1))
    CreateDirectoryW(Long(path.substr(0, i)).c_str(), nullptr);
  UniqueFile file(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// The file's bytes, or "<missing>" when it cannot be opened.
inline std::string ReadFileBytes(const std::wstring& path) {
  UniqueFile file(CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

// The UTF-16LE bytes of a text, without a byte-order mark.
inline std::string Utf16Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
// The bytes of a UTF-16 file: the byte-order mark FF FE, then the text.
inline std::string Utf16FileBytes(const std::wstring& text) { return "\xFF\xFE" + Utf16Bytes(text); }
