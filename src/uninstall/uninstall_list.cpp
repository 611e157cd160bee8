#include "uninstall/uninstall_list.h"

#include <windows.h>

#include <utility>

#include "text/text_utils.h"

namespace {

// A NUL would cut the entry short and make it name something else: such a line
// is dropped whole.
template <typename Char>
bool HoldsNul(const std::basic_string<Char>& line) {
  return line.find(Char(0)) != std::basic_string<Char>::npos;
}

void AddEntry(std::wstring entry, std::vector<std::wstring>& entries) {
  TrimTrailingSpace(entry);
  if (!entry.empty()) entries.push_back(std::move(entry));
}

// The lines of a text; LF, CR LF and a lone CR all end a line.
template <typename Char>
std::vector<std::basic_string<Char>> SplitLines(const std::basic_string<Char>& text) {
  const Char ends[] = {Char('\r'), Char('\n'), Char(0)};
  std::vector<std::basic_string<Char>> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(ends, start);
    if (end == std::basic_string<Char>::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return wide;
}

// UTF-16 LE units from bytes; an odd last byte is ignored.
std::wstring Utf16Units(const std::string& bytes, size_t start) {
  std::wstring text;
  text.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
  return text;
}

bool StartsWith(const std::string& bytes, const char* mark) { return bytes.rfind(mark, 0) == 0; }

// A component made of dots and spaces only, with two dots or more, is treated as
// a step up: Windows trims trailing dots and spaces from some components, and an
// entry skipped by mistake does less harm than a folder left by mistake.
bool IsStepUp(const std::wstring& component) {
  if (component.find_first_not_of(L". ") != std::wstring::npos) return false;
  size_t dots = 0;
  for (wchar_t c : component) dots += c == L'.';
  return dots >= 2;
}

bool IsStepDown(const std::wstring& component) {
  return !component.empty() && component.find_first_not_of(L". ") != std::wstring::npos;
}

}  // namespace

std::vector<std::wstring> ReadListEntries(const std::string& bytes) {
  // Installers write the list with a byte-order mark in UTF-16 or UTF-8 as well
  // as in the ANSI code page; reading such a list as ANSI would find nothing to
  // delete, or lose its first entry.
  std::vector<std::wstring> entries;
  if (StartsWith(bytes, "\xFF\xFE")) {
    for (const std::wstring& line : SplitLines(Utf16Units(bytes, 2)))
      if (!HoldsNul(line)) AddEntry(line, entries);
  } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    for (const std::string& line : SplitLines(bytes.substr(3)))
      if (!HoldsNul(line)) AddEntry(Utf8ToWide(line), entries);
  } else {
    for (const std::string& line : SplitLines(bytes))
      if (!HoldsNul(line)) AddEntry(AnsiToWideString(line), entries);
  }
  return entries;
}

bool EntryLeavesFolder(const std::wstring& entry) {
  int depth = 0;
  size_t start = 0;
  while (start <= entry.size()) {
    size_t end = entry.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = entry.size();
    const std::wstring component = entry.substr(start, end - start);
    if (IsStepUp(component) && --depth < 0) return true;
    if (IsStepDown(component)) ++depth;
    start = end + 1;
  }
  return false;
}
