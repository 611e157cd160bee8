#include "localization/language_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "environment/help_viewer.h"
#include "environment/messages.h"
#include "environment/paths.h"
#include "files/disk_file.h"
#include "localization/key_table.h"
#include "localization/language_table.h"
#include "localization/language_table_writer.h"
#include "localization/strings.h"
#include "text/text_utils.h"

namespace {

constexpr char kMarker[] = "***messages**";
constexpr size_t kMarkerLength = sizeof(kMarker) - 1;
constexpr size_t kWideMarkerBytes = kMarkerLength * 2;

constexpr uint32_t kScanBlockSize = 8192;
constexpr uint32_t kScanBlockOverlap = 16;
constexpr int kMaxScanBlocks = 256;
constexpr uint32_t kMaxTextBytes = 0x200000;
constexpr size_t kMaxTextUnits = 0x100000;

constexpr size_t kMaxKeyBytes = 49;
constexpr size_t kMaxPrefixBytes = 99;
constexpr size_t kMaxWordChars = 99;
constexpr size_t kKeyNameSearch = 99;
constexpr size_t kMaxTextLength = 65536;

enum class MarkerForm { kNone, kAnsi, kWide };

// Tests for a marker starting at `bytes`, of which `available` can be read.
MarkerForm MarkerAt(const uint8_t* bytes, size_t available) {
  if (available >= kMarkerLength && std::memcmp(bytes, kMarker, kMarkerLength) == 0) return MarkerForm::kAnsi;
  if (available < kWideMarkerBytes) return MarkerForm::kNone;
  for (size_t i = 0; i < kMarkerLength; ++i)
    if (bytes[2 * i] != static_cast<uint8_t>(kMarker[i]) || bytes[2 * i + 1] != 0) return MarkerForm::kNone;
  return MarkerForm::kWide;
}

// Scans the file in overlapping blocks. Bytes carried over from one block to the
// next let a marker that crosses a block boundary be found as well; an offset is
// decided only once both forms could be tested there, or at the end of the scan.
MarkerForm FindMarker(DiskFile& file, int64_t& markerOffset) {
  std::vector<uint8_t> window;  // the scanned bytes from `windowStart` on, not yet decided
  int64_t windowStart = 0;
  std::vector<uint8_t> block(kScanBlockSize);
  bool lastBlock = false;
  for (int index = 0; !lastBlock; ++index) {
    int64_t blockStart = static_cast<int64_t>(index) * (kScanBlockSize - kScanBlockOverlap);
    file.Seek(blockStart, FILE_BEGIN);
    int64_t read = file.Read(block.data(), kScanBlockSize);
    lastBlock = read < kScanBlockSize || index + 1 == kMaxScanBlocks;
    int64_t windowEnd = windowStart + static_cast<int64_t>(window.size());
    if (read > 0 && blockStart + read > windowEnd)
      window.insert(window.end(), block.begin() + (windowEnd - blockStart), block.begin() + read);
    size_t position = 0;
    for (; lastBlock ? position < window.size() : position + kWideMarkerBytes <= window.size(); ++position) {
      MarkerForm form = MarkerAt(window.data() + position, window.size() - position);
      if (form != MarkerForm::kNone) {
        markerOffset = windowStart + static_cast<int64_t>(position);
        return form;
      }
    }
    window.erase(window.begin(), window.begin() + position);
    windowStart += static_cast<int64_t>(position);
  }
  return MarkerForm::kNone;
}

// Reads up to kMaxTextBytes from the marker on and decodes them; null when the
// buffers cannot be had.
std::unique_ptr<wchar_t[]> ReadText(DiskFile& file, int64_t markerOffset, MarkerForm form) {
  // A short file needs no buffer of the full size.
  uint32_t limit = kMaxTextBytes;
  int64_t length = file.FileLength();
  if (length >= markerOffset && length - markerOffset < limit) limit = static_cast<uint32_t>(length - markerOffset);
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[limit + 2]);
  if (!bytes) return nullptr;
  file.Seek(markerOffset, FILE_BEGIN);
  uint32_t total = 0;
  while (total < limit) {
    int64_t read = file.Read(bytes.get() + total, limit - total);
    if (read <= 0) break;
    total += static_cast<uint32_t>(read);
  }
  size_t units = form == MarkerForm::kWide ? total / 2 : total;
  std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[units + 1]);
  if (!text) return nullptr;
  if (form == MarkerForm::kWide) {
    std::memcpy(text.get(), bytes.get(), units * sizeof(wchar_t));
    text[units] = L'\0';
  } else {
    bytes[total] = 0;
    if (!AnsiToWide(reinterpret_cast<const char*>(bytes.get()), text.get(), units + 1)) text[0] = L'\0';
  }
  if (units > kMaxTextUnits) text[kMaxTextUnits] = L'\0';
  return text;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }
// A character that goes into the text as it stands.
bool IsPlain(wchar_t c) { return c != L'\0' && c != L'\\' && !IsLineEnd(c); }

// ASCII, the common case, is the same in every ANSI code page.
std::string ToAnsi(const wchar_t* text, size_t length) {
  std::string ascii;
  ascii.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    if (text[i] >= 0x80) return WideToAnsiString(std::wstring(text, length));
    ascii.push_back(static_cast<char>(text[i]));
  }
  return ascii;
}

// The section word at `line` (just after the ':'), when it is followed by a
// character of code 32 or less; the value after it goes to `value`.
bool MatchSectionWord(const wchar_t* line, const wchar_t* word, std::wstring& value) {
  size_t length = wcslen(word);
  if (wcsncmp(line, word, length) != 0 || line[length] > L' ') return false;
  const wchar_t* p = line + length;
  while (IsBlank(*p)) ++p;
  size_t run = 0;
  while (p[run] > L' ') ++run;
  value.assign(p, run < kMaxWordChars ? run : kMaxWordChars);
  return true;
}

std::string MakePrefix(char lead, const std::wstring& name) {
  std::string prefix(1, lead);
  prefix += ToAnsi(name.c_str(), name.size());
  prefix += ':';
  if (prefix.size() > kMaxPrefixBytes) prefix.resize(kMaxPrefixBytes);
  return prefix;
}

// A line starting with ':' that names one of the section words changes the
// prefix or the direction flag; any other such line is ignored.
void ReadSectionLine(const wchar_t* line, std::string& prefix, bool& rightToLeft) {
  std::wstring value;
  if (MatchSectionWord(line + 1, L"STRINGS", value))
    prefix = "s:";
  else if (MatchSectionWord(line + 1, L"DIALOG", value))
    prefix = MakePrefix('$', value);
  else if (MatchSectionWord(line + 1, L"MENU", value))
    prefix = MakePrefix('@', value);
  else if (MatchSectionWord(line + 1, L"DIRECTION", value))
    rightToLeft = value == L"RTL";
}

// A key line: the name runs to the first space, tab or comma among the line's
// first 99 characters, line ends included. Sets `key` and returns the position of
// the key's text, or 0 when the line is no key line.
size_t ReadKeyLine(const wchar_t* text, size_t lineStart, const std::string& prefix, std::string& key) {
  size_t length = 1;
  for (;; ++length) {
    if (length >= kKeyNameSearch) return 0;
    wchar_t c = text[lineStart + length];
    if (c == L'\0') return 0;
    if (c == L' ' || c == L'\t' || c == L',') break;
  }
  key = prefix + ToAnsi(text + lineStart, length);
  if (key.size() > kMaxKeyBytes) key.resize(kMaxKeyBytes);
  size_t position = lineStart + length + 1;
  while (IsBlank(text[position])) ++position;
  return position;
}

// The escape a backslash makes with `c`, or 0 when the backslash stands for itself.
wchar_t Unescape(wchar_t c) {
  switch (c) {
    case L'"': return L'"';
    case L'\\': return L'\\';
    case L'n': return L'\n';
    case L'r': return L'\r';
    case L't': return L'\t';
    default: return L'\0';
  }
}

void AddRecord(std::string& key, std::wstring& value, LanguageTable& table) {
  if (!key.empty()) {
    size_t end = value.size();
    while (end > 0 && IsBlank(value[end - 1])) --end;
    if (end > 0 && value[end - 1] == L'"') --end;
    size_t begin = end > 0 && value[0] == L'"' ? 1 : 0;
    table.Add(std::move(key), value.substr(begin, end - begin));
  }
  key.clear();
  value.clear();
}

}  // namespace

void ParseLanguageText(const wchar_t* text, LanguageTable& table) {
  std::string prefix = "s:";
  std::string key;
  std::wstring value;
  bool lineStart = false;
  size_t position = 0;
  for (;;) {
    if (lineStart) {
      lineStart = false;
      if (text[position] == L':') {
        ReadSectionLine(text + position, prefix, table.RightToLeft);
      } else if (IsAsciiLetter(text[position])) {
        if (size_t textStart = ReadKeyLine(text, position, prefix, key)) position = textStart;
      }
    }
    wchar_t c = text[position];
    if (c == L'\0') break;
    if (IsLineEnd(c)) {
      AddRecord(key, value, table);
      lineStart = true;
      ++position;
      continue;
    }
    if (c == L'\\') {
      if (wchar_t escaped = Unescape(text[position + 1])) {
        c = escaped;
        ++position;
      }
      if (value.size() < kMaxTextLength) value.push_back(c);
      ++position;
      continue;
    }
    size_t run = 1;
    while (IsPlain(text[position + run])) ++run;
    value.append(text + position, std::min(run, kMaxTextLength - value.size()));
    position += run;
  }
  AddRecord(key, value, table);
  table.Finish();
}

void ReadLanguageFile(const std::wstring& path) {
  std::wstring name = path.find(L'\\') == std::wstring::npos ? GetModuleFolderFile(path) : path;
  DiskFile file;
  if (!file.Open(name, true)) return;
  BuildKeyIndex();
  int64_t markerOffset = 0;
  MarkerForm form = FindMarker(file, markerOffset);
  if (form == MarkerForm::kNone) return;
  std::unique_ptr<wchar_t[]> text = ReadText(file, markerOffset, form);
  file.Close();
  if (text) ParseLanguageText(text.get(), WritableLanguageTexts());
}

void LoadLanguage(const wchar_t* fileName) {
  std::wstring path;
  ResolveLanguagePath(fileName, path);
  ReadLanguageFile(path);
  LanguageTable& table = WritableLanguageTexts();
  if (FindResourceW(ResourceModule(), L"RTL", RT_DIALOG)) table.RightToLeft = true;
  if (table.RightToLeft) SetProcessDefaultLayout(LAYOUT_RTL);
  SetMessageReadingDirection(table.RightToLeft);
  SetHelpPathResolver(ResolveLanguagePath);
}
