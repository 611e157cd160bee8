#pragma once
// Language files for the tests: a scratch folder, whole-file writes, the two
// encodings of a file, and parsing text held in memory.
#include <windows.h>

#include <string>

#include "environment/unique_handle.h"
#include "localization/language_file.h"
#include "localization/language_table.h"
#include "support/wine_program.h"

inline constexpr char kMarkerLine[] = "***messages** uninstall\r\n";

inline std::string Utf16Bytes(const std::wstring& text, bool byteOrderMark = true) {
  std::string bytes = byteOrderMark ? "\xFF\xFE" : "";
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
  UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (out) WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A fresh folder under the temporary folder, removed with its content.
class LanguageFolder {
 public:
  LanguageFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"language_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(counter_++);
    DeleteTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  ~LanguageFolder() { DeleteTree(folder_); }
  LanguageFolder(const LanguageFolder&) = delete;
  LanguageFolder& operator=(const LanguageFolder&) = delete;
  const std::wstring& Folder() const { return folder_; }
  std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }
  // Writes the file and reads it into a cleared process-wide table.
  LanguageTable& Read(const std::string& bytes, const std::wstring& name = L"uninstall.lng") const {
    WriteBytes(Path(name), bytes);
    TheLanguageTable().Clear();
    ReadLanguageFile(Path(name));
    return TheLanguageTable();
  }

 private:
  static inline int counter_ = 0;
  std::wstring folder_;
};

// Parses the lines that follow a marker line into a fresh table.
inline LanguageTable ParseLines(const std::wstring& lines) {
  LanguageTable table;
  std::wstring text = L"***messages**\r\n" + lines;
  ParseLanguageText(text.c_str(), table);
  return table;
}

inline std::wstring TextOf(const LanguageTable& table, const char* key) {
  const std::wstring* text = table.Find(key);
  return text ? *text : L"<none>";
}

// Empties the process-wide table when a test ends, so that string lookups of
// other tests see the built-in texts.
struct ClearLanguageTableAfter {
  ~ClearLanguageTableAfter() { TheLanguageTable().Clear(); }
};
