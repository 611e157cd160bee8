#pragma once
// Reads a whole text file in ANSI, UTF-16 (with a byte-order mark) or UTF-8 (with
// its mark) and splits it into non-empty lines without trailing blanks.
#include <cstdint>
#include <string>
#include <vector>

#include "text/text_utils.h"

enum class TextEncoding { Ansi = 0, Utf16 = 3, Utf8 = 4 };

// The encoding of raw file bytes, by their marks and structure.
TextEncoding DetectTextEncoding(const uint8_t* bytes, size_t count);
// True when the bytes are a sequence of complete UTF-8 sequences (structure only).
bool IsValidUtf8(const uint8_t* bytes, size_t count);
// Decodes UTF-8 into at most `capacity` units including the terminating NUL; stops
// at a zero byte, at the first undecodable sequence or when the output is full.
// Returns the units written before the terminator.
size_t DecodeUtf8(const uint8_t* bytes, size_t count, wchar_t* out, size_t capacity);
// Converts raw file bytes to text (NUL-terminated in the result's data).
std::wstring DecodeTextBytes(std::vector<uint8_t> bytes);
// Splits text into lines: CR and LF runs separate, blank and empty lines are dropped,
// trailing spaces and tabs removed.
void SplitTextLines(std::wstring text, StringList& lines);

// False, with an empty list, when the file cannot be opened.
bool ReadTextLines(const std::wstring& fileName, StringList& lines);
