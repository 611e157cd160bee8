#pragma once
// Small text services shared by every subsystem: formatting, comparison without
// regard to case, ANSI conversion, bounded copies, trimming, numbers, environment.
#include <windows.h>

#include <cstdint>
#include <string>

// Formats into `out` (and returns it). `%s` fields take UTF-16 strings; every line
// feed of the format becomes CR LF. Never fails: a result longer than 262,143
// characters is cut there.
std::wstring& FormatString(std::wstring& out, const wchar_t* format, ...);
std::wstring FormatString(const wchar_t* format, ...);

// True when `format` is safe to use in place of `reference`: it makes the same
// conversions (same length modifier and letter, same count, same order; flags
// free), with no %n, no '*' width or precision, no width or precision above
// kMaxFormatFieldWidth and no unknown or unfinished field. False when either text
// has such a field. "%%" is no conversion.
bool SameFormatConversions(const wchar_t* format, const wchar_t* reference);
constexpr size_t kMaxFormatFieldWidth = 1024;

// Formats into a buffer of `size` characters with the format unchanged (`%s`
// takes a UTF-16 string); a longer result is cut to size - 1 characters. Writes
// nothing when size is 0.
void FormatStringFixed(wchar_t* buffer, size_t size, const wchar_t* format, ...);

// Compares without regard to case in the system default locale: -1, 0 or +1,
// or -2 when the comparison fails.
int StrCompareNoCase(const wchar_t* a, const wchar_t* b);
// Compares at most `count` characters of each; a shorter string takes part with
// its terminator ("setupx" equals "setup" for 5, "abc" differs from "abcd" for 4).
int StrCompareNoCaseN(const wchar_t* a, const wchar_t* b, size_t count);

// The upper-case form of one UTF-16 unit, through the system.
wchar_t ToUpperChar(wchar_t c);

// Converts through the ANSI code page into a buffer of `size` units; the buffer
// always holds a terminator (when size > 0). False when the conversion failed.
bool WideToAnsi(const wchar_t* text, char* buffer, size_t size);
bool AnsiToWide(const char* text, wchar_t* buffer, size_t size);
// String forms; the result is empty when the conversion failed.
std::string WideToAnsiString(const std::wstring& text);
std::wstring AnsiToWideString(const std::string& text);

// Removes trailing spaces, tabs, CRs and LFs.
void TrimTrailingSpace(std::wstring& text);

// Copies at most size - 1 characters and a terminator; writes nothing when size is 0.
void CopyTextBounded(wchar_t* dest, const wchar_t* source, size_t size);
// Appends `source` to the text already in a 100-byte `dest`, keeping at most 99 characters.
void CopyTextBounded(char* dest, const char* source);

// Locale-independent character tests.
inline bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
inline bool IsSpaceOrTab(wchar_t c) { return c == L' ' || c == L'\t'; }
inline bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// An optional leading '-', then decimal digits up to the first non-digit; no digits give 0.
int64_t TextToInt64(const wchar_t* text);
// Writes the decimal form into a buffer of at least 21 characters.
void Int64ToText(int64_t value, wchar_t* buffer);

// Expands environment variables in place; false (text unchanged) on failure.
bool ExpandEnvVars(std::wstring& text);
// Reads an environment variable of any length; false (out unchanged) when it is
// unset or empty.
bool GetEnvVar(const wchar_t* name, std::wstring& out);

// Strings kept one after another in one buffer, returned in the order added.
class StringList {
 public:
  void Add(const wchar_t* text);
  void Add(const std::wstring& text) { Add(text.c_str()); }
  // False at the end of the list; otherwise `out` is the next string.
  bool Next(std::wstring& out);
  void Reset();
  size_t Count() const { return count_; }

 private:
  std::wstring buffer_;
  size_t count_ = 0;
  size_t position_ = 0;
};
