#include "settings/text_reader.h"

#include <utility>

#include "files/disk_file.h"

namespace {

constexpr uint32_t kReadBlock = 4096;

bool StartsWith(const uint8_t* bytes, size_t count, std::initializer_list<uint8_t> mark) {
  if (count < mark.size()) return false;
  size_t i = 0;
  for (uint8_t b : mark) {
    if (bytes[i++] != b) return false;
  }
  return true;
}

// The number of leading one bits of a byte.
int LeadingOnes(uint8_t b) {
  int ones = 0;
  while (ones < 8 && (b & (0x80 >> ones))) ++ones;
  return ones;
}

bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// True when some examined high byte, starting at `first` and every second byte
// after it, belongs to a UTF-16 unit below U+2000 that is not a line break page.
bool HasLowHighByte(const uint8_t* bytes, size_t count, size_t first) {
  for (size_t i = first; i < count; i += 2) {
    if (bytes[i] < 32 && bytes[i] != 10 && bytes[i] != 13) return true;
  }
  return false;
}

std::wstring DecodeUtf16(const std::vector<uint8_t>& bytes, bool bigEndian) {
  std::wstring text;
  text.reserve(bytes.size() / 2 + 1);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    uint8_t high = bigEndian ? bytes[i] : bytes[i + 1];
    uint8_t low = bigEndian ? bytes[i + 1] : bytes[i];
    wchar_t unit = static_cast<wchar_t>((high << 8) | low);
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

std::wstring TextUpToTerminator(const std::vector<wchar_t>& chars) {
  size_t length = 0;
  while (length < chars.size() && chars[length] != 0) ++length;
  return std::wstring(chars.data(), length);
}

}  // namespace

bool IsValidUtf8(const uint8_t* bytes, size_t count) {
  size_t i = 0;
  while (i < count) {
    int ones = LeadingOnes(bytes[i]);
    if (ones == 1 || ones >= 7) return false;
    size_t continuations = ones == 0 ? 0 : static_cast<size_t>(ones - 1);
    if (count - i - 1 < continuations) return false;
    for (size_t k = 1; k <= continuations; ++k) {
      if (!IsContinuation(bytes[i + k])) return false;
    }
    i += continuations + 1;
  }
  return true;
}

TextEncoding DetectTextEncoding(const uint8_t* bytes, size_t count) {
  if (count > 3 && StartsWith(bytes, count, {0xEF, 0xBB, 0xBF}) && IsValidUtf8(bytes + 3, count - 3))
    return TextEncoding::Utf8;
  if (count > 2 && StartsWith(bytes, count, {0xFF, 0xFE}))
    return HasLowHighByte(bytes, count, 3) ? TextEncoding::Utf16 : TextEncoding::Ansi;
  if (count > 2 && StartsWith(bytes, count, {0xFE, 0xFF}))
    return HasLowHighByte(bytes, count, 2) ? TextEncoding::Utf16 : TextEncoding::Ansi;
  return TextEncoding::Ansi;
}

size_t DecodeUtf8(const uint8_t* bytes, size_t count, wchar_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t written = 0;
  size_t i = 0;
  while (i < count && bytes[i] != 0) {
    int ones = LeadingOnes(bytes[i]);
    if (ones == 1 || ones > 4) break;
    size_t length = ones == 0 ? 1 : static_cast<size_t>(ones);
    if (count - i < length) break;
    uint32_t value = ones == 0 ? bytes[i] : (bytes[i] & (0x7F >> ones));
    bool complete = true;
    for (size_t k = 1; k < length && complete; ++k) {
      complete = IsContinuation(bytes[i + k]);
      value = (value << 6) | (bytes[i + k] & 0x3F);
    }
    if (!complete) break;
    i += length;
    if (value >= 0x110000) continue;
    if (value >= 0x10000) {
      if (written + 2 >= capacity) break;
      value -= 0x10000;
      out[written++] = static_cast<wchar_t>(0xD800 + (value >> 10));
      out[written++] = static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
    } else {
      if (written + 1 >= capacity) break;
      out[written++] = static_cast<wchar_t>(value);
    }
  }
  out[written] = 0;
  return written;
}

std::wstring DecodeTextBytes(std::vector<uint8_t> bytes) {
  TextEncoding encoding = DetectTextEncoding(bytes.data(), bytes.size());
  if (encoding == TextEncoding::Utf16) return DecodeUtf16(bytes, bytes[0] == 0xFE);
  bytes.push_back(0);
  std::vector<wchar_t> chars(bytes.size(), 0);
  if (encoding == TextEncoding::Utf8)
    DecodeUtf8(bytes.data() + 3, bytes.size() - 3, chars.data(), chars.size());
  else
    AnsiToWide(reinterpret_cast<const char*>(bytes.data()), chars.data(), chars.size());
  return TextUpToTerminator(chars);
}

void SplitTextLines(std::wstring text, StringList& lines) {
  wchar_t* p = text.data();
  for (;;) {
    if (*p == 0) return;
    wchar_t* end = p;
    while (*end != 0 && *end != L'\r' && *end != L'\n') ++end;
    wchar_t ended = *end;
    *end = 0;
    for (wchar_t* q = end; q > p && (q[-1] == L' ' || q[-1] == L'\t'); --q) q[-1] = 0;
    if (*p != 0) lines.Add(p);
    if (ended == 0) return;
    p = end + 1;
    while (*p == L'\r' || *p == L'\n') ++p;
  }
}

bool ReadTextLines(const std::wstring& fileName, StringList& lines) {
  lines.Reset();
  DiskFile file;
  if (!file.Open(fileName, false)) return false;
  std::vector<uint8_t> bytes(kReadBlock);
  size_t filled = 0;
  for (;;) {
    int64_t read = file.Read(bytes.data() + filled, kReadBlock);
    if (read <= 0) break;
    filled += static_cast<size_t>(read);
    bytes.resize(filled + kReadBlock);
  }
  bytes.resize(filled);
  file.Close();
  SplitTextLines(DecodeTextBytes(std::move(bytes)), lines);
  return true;
}
