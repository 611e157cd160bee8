#pragma once
// Files and texts as raw bytes, for setting up and checking what the program reads
// and writes.
#include <string>

// The "\\?\" form of a full path, for the test's own set-up and checks.
inline std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

// Writes a file of any name length with exactly these bytes, making its folders
// first; false when the file could not be written.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The file's bytes, or "<missing>" when it cannot be opened.
std::string ReadFileBytes(const std::wstring& path);

// The UTF-16LE bytes of a text, without a byte-order mark.
std::string Utf16Bytes(const std::wstring& text);
// The bytes of a UTF-16 file: the byte-order mark FF FE, then the text.
inline std::string Utf16FileBytes(const std::wstring& text) { return "\xFF\xFE" + Utf16Bytes(text); }
// The text of bytes in the system's ANSI code page.
std::wstring AnsiText(const std::string& bytes);
