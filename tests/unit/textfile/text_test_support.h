#pragma once
// Small conversions for the text reader tests.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/text_reader.h"

inline std::vector<uint8_t> Bytes(const std::string& bytes) { return std::vector<uint8_t>(bytes.begin(), bytes.end()); }

inline std::wstring Decode(const std::string& bytes) { return DecodeTextBytes(Bytes(bytes)); }

// The bytes read through the ANSI code page, up to a zero byte.
inline std::wstring Ansi(const std::string& bytes) {
  std::string text = bytes.c_str();
  std::wstring out(text.size() + 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()));
  return out.c_str();
}

inline std::string Utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

inline std::string Utf16Le(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

inline std::string Utf16Be(const std::wstring& text) {
  std::string bytes = "\xFE\xFF";
  for (wchar_t c : text) bytes += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  return bytes;
}

inline std::vector<std::wstring> Lines(StringList& list) {
  std::vector<std::wstring> lines;
  std::wstring line;
  while (list.Next(line)) lines.push_back(line);
  return lines;
}

inline std::vector<std::wstring> Split(const std::wstring& text) {
  StringList list;
  SplitTextLines(text, list);
  return Lines(list);
}
