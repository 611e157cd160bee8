#include "text/text_utils.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr size_t kFormatFirstSize = 256;
constexpr size_t kFormatGrowLimit = 65536;
constexpr size_t kFormatGrowFactor = 4;

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }
const char* OrEmpty(const char* text) { return text ? text : ""; }

int ClampToInt(size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

// The C runtime's own bounded wide formatter, where a bare %s in a wide format
// takes a UTF-16 string (the standard-conforming one of mingw would take 8-bit
// text). Negative, or `size`, when the result and its terminator do not fit.
int BoundedWideFormat(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) {
  return _vsnwprintf(buffer, size, format, args);
}

// The program's formats write %s for UTF-16 strings; %ls says so to every
// formatter, whatever it takes a bare %s for. Line ends become CR LF.
std::wstring RewriteFormat(const wchar_t* format) {
  std::wstring result;
  for (size_t i = 0; format[i] != L'\0'; ++i) {
    const wchar_t c = format[i];
    const wchar_t previous = i > 0 ? format[i - 1] : L'\0';
    if (c == L'%' && previous != L'%') {
      size_t end = i + 1;
      while (IsDigit(format[end]) || format[end] == L'-') ++end;
      if (format[end] == L's') {
        result.append(format + i, end - i);
        result += L'l';
        i = end - 1;  // the 's' is copied on the next round
        continue;
      }
    } else if (c == L'\n' && previous != L'\r') {
      result += L'\r';
    }
    result += c;
  }
  return result;
}

// Formats with the bounded wide formatter into `buffer`; true when the whole
// result and its terminator fitted. The buffer is always terminated.
bool FormatInto(std::vector<wchar_t>& buffer, const wchar_t* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int written = BoundedWideFormat(buffer.data(), buffer.size(), format, copy);
  va_end(copy);
  buffer.back() = L'\0';
  return written >= 0 && static_cast<size_t>(written) < buffer.size();
}

std::wstring FormatVariadic(const wchar_t* format, va_list args) {
  const std::wstring rewritten = RewriteFormat(OrEmpty(format));
  std::vector<wchar_t> buffer(kFormatFirstSize);
  while (!FormatInto(buffer, rewritten.c_str(), args) && buffer.size() <= kFormatGrowLimit) {
    buffer.assign(buffer.size() * kFormatGrowFactor, L'\0');
  }
  return std::wstring(buffer.data());
}

// What the C runtime's formatter reads between a '%' and the conversion letter.
constexpr wchar_t kFormatFlags[] = L"-+ #0";
constexpr wchar_t kLengthModifiers[] = L"hlLwzjtqI";
// %n is left out on purpose: it writes through its argument.
constexpr wchar_t kConversionLetters[] = L"diouxXcCsSeEfFgGaAp";

bool IsOneOf(wchar_t c, const wchar_t* set) { return c != L'\0' && wcschr(set, c) != nullptr; }

// Steps over a decimal width or precision; false when it is larger than the limit.
bool SkipFieldWidth(const wchar_t*& p) {
  size_t value = 0;
  for (; IsDigit(*p); ++p) value = std::min(value * 10 + static_cast<size_t>(*p - L'0'), kMaxFormatFieldWidth + 1);
  return value <= kMaxFormatFieldWidth;
}

// The length modifier and letter of every conversion of `format`, in order; false
// for a field that takes its width from an argument, writes through one (%n),
// asks for a huge width or is not a conversion the formatter knows.
bool ReadConversions(const wchar_t* format, std::vector<std::wstring>& conversions) {
  for (const wchar_t* p = OrEmpty(format); *p != L'\0'; ++p) {
    if (*p != L'%') continue;
    if (*++p == L'%') continue;
    while (IsOneOf(*p, kFormatFlags)) ++p;
    if (*p == L'*' || !SkipFieldWidth(p)) return false;
    if (*p == L'.' && (*++p == L'*' || !SkipFieldWidth(p))) return false;
    const wchar_t* start = p;
    while (IsOneOf(*p, kLengthModifiers)) {
      if (*p++ == L'I' && (wcsncmp(p, L"32", 2) == 0 || wcsncmp(p, L"64", 2) == 0)) p += 2;
    }
    if (!IsOneOf(*p, kConversionLetters)) return false;
    conversions.emplace_back(start, p + 1);
  }
  return true;
}

}  // namespace

bool SameFormatConversions(const wchar_t* format, const wchar_t* reference) {
  std::vector<std::wstring> conversions;
  std::vector<std::wstring> expected;
  return ReadConversions(format, conversions) && ReadConversions(reference, expected) && conversions == expected;
}

std::wstring& FormatString(std::wstring& out, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring result = FormatVariadic(format, args);
  va_end(args);
  out = std::move(result);
  return out;
}

std::wstring FormatString(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring result = FormatVariadic(format, args);
  va_end(args);
  return result;
}

void FormatStringFixed(wchar_t* buffer, size_t size, const wchar_t* format, ...) {
  if (buffer == nullptr || size == 0) return;
  buffer[0] = L'\0';
  va_list args;
  va_start(args, format);
  BoundedWideFormat(buffer, size, OrEmpty(format), args);
  va_end(args);
  buffer[size - 1] = L'\0';
}

int StrCompareNoCase(const wchar_t* a, const wchar_t* b) {
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, OrEmpty(a), -1, OrEmpty(b), -1) -
         2;
}

int StrCompareNoCaseN(const wchar_t* a, const wchar_t* b, size_t count) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  // A string shorter than the count takes part with its terminator.
  const int lengthA = ClampToInt(std::min(count, wcslen(a) + 1));
  const int lengthB = ClampToInt(std::min(count, wcslen(b) + 1));
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a, lengthA, b, lengthB) - 2;
}

wchar_t ToUpperChar(wchar_t c) {
  // With a high word of zero CharUpperW converts the character itself.
  return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

bool WideToAnsi(const wchar_t* text, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = '\0';
  const int count =
      WideCharToMultiByte(CP_ACP, 0, OrEmpty(text), -1, buffer, ClampToInt(size), nullptr, nullptr);
  buffer[size - 1] = '\0';
  return count != 0;
}

bool AnsiToWide(const char* text, wchar_t* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = L'\0';
  const int count = MultiByteToWideChar(CP_ACP, 0, OrEmpty(text), -1, buffer, ClampToInt(size));
  buffer[size - 1] = L'\0';
  return count != 0;
}

std::string WideToAnsiString(const std::wstring& text) {
  std::vector<char> buffer(text.size() * 4 + 1);
  if (!WideToAnsi(text.c_str(), buffer.data(), buffer.size())) return std::string();
  return std::string(buffer.data());
}

std::wstring AnsiToWideString(const std::string& text) {
  std::vector<wchar_t> buffer(text.size() * 2 + 1);
  if (!AnsiToWide(text.c_str(), buffer.data(), buffer.size())) return std::wstring();
  return std::wstring(buffer.data());
}

void TrimTrailingSpace(std::wstring& text) {
  while (!text.empty()) {
    const wchar_t last = text.back();
    if (last != L' ' && last != L'\t' && last != L'\n' && last != L'\r') break;
    text.pop_back();
  }
}

void CopyTextBounded(wchar_t* dest, const wchar_t* source, size_t size) {
  if (dest == nullptr || size == 0) return;
  source = OrEmpty(source);
  size_t i = 0;
  for (; i + 1 < size && source[i] != L'\0'; ++i) dest[i] = source[i];
  dest[i] = L'\0';
}

void CopyTextBounded(char* dest, const char* source) {
  constexpr size_t kSize = 100;
  if (dest == nullptr) return;
  const size_t used = strnlen(dest, kSize);
  if (used >= kSize) return;
  source = OrEmpty(source);
  size_t i = 0;
  for (; used + i + 1 < kSize && source[i] != '\0'; ++i) dest[used + i] = source[i];
  dest[used + i] = '\0';
}

int64_t TextToInt64(const wchar_t* text) {
  text = OrEmpty(text);
  const bool negative = *text == L'-';
  if (negative) ++text;
  // Unsigned arithmetic wraps where the number does not fit, without an overflow check.
  uint64_t value = 0;
  for (; IsDigit(*text); ++text) value = value * 10 + static_cast<uint64_t>(*text - L'0');
  int64_t result = static_cast<int64_t>(value);
  if (negative && result >= 0) result = -result;
  return result;
}

void Int64ToText(int64_t value, wchar_t* buffer) {
  if (buffer == nullptr) return;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  wchar_t digits[20];
  size_t count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  size_t out = 0;
  if (value < 0) buffer[out++] = L'-';
  while (count > 0) buffer[out++] = digits[--count];
  buffer[out] = L'\0';
}

bool ExpandEnvVars(std::wstring& text) {
  const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (needed == 0) return false;
  std::vector<wchar_t> buffer(needed);
  const DWORD written = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), needed);
  if (written == 0 || written > needed) return false;
  buffer.back() = L'\0';
  text = buffer.data();
  return true;
}

bool GetEnvVar(const wchar_t* name, std::wstring& out) {
  if (name == nullptr) return false;
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD count = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
  // The count includes the terminator while the buffer is too small; the value may
  // also grow between the two calls, so ask until it fits.
  for (int attempt = 0; count >= buffer.size() && attempt < 4; ++attempt) {
    buffer.assign(count, L'\0');
    count = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
  }
  if (count == 0 || count >= buffer.size()) return false;
  out.assign(buffer.data(), count);
  return true;
}

void StringList::Add(const wchar_t* text) {
  buffer_ += OrEmpty(text);
  buffer_ += L'\0';
  ++count_;
}

bool StringList::Next(std::wstring& out) {
  if (position_ >= buffer_.size()) return false;
  const size_t end = buffer_.find(L'\0', position_);
  out.assign(buffer_, position_, end - position_);
  position_ = end + 1;
  return true;
}

void StringList::Reset() {
  buffer_.clear();
  count_ = 0;
  position_ = 0;
}
