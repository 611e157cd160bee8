#pragma once
// Settings files on disk for the tests: a scratch folder, whole-file reads and
// writes, and the bytes a UTF-16 file with a byte-order mark holds.
#include <windows.h>

#include <string>

#include "environment/unique_handle.h"
#include "support/wine_program.h"

inline std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

inline bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
  UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (out) WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The whole file, or "<missing>" when it cannot be opened.
inline std::string ReadBytes(const std::wstring& path) {
  UniqueFile in(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!in) return "<missing>";
  std::string bytes;
  char block[65536];
  DWORD got = 0;
  while (ReadFile(in.get(), block, sizeof(block), &got, nullptr) && got > 0) bytes.append(block, got);
  return bytes;
}

// A fresh folder under the temporary folder, removed with its content.
class SettingsFolder {
 public:
  SettingsFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"settings_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(counter_++);
    DeleteTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  ~SettingsFolder() { DeleteTree(folder_); }
  SettingsFolder(const SettingsFolder&) = delete;
  SettingsFolder& operator=(const SettingsFolder&) = delete;
  std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }

 private:
  static inline int counter_ = 0;
  std::wstring folder_;
};
