#include "settings/text_reader.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The text of bytes in the system's ANSI code page.
std::wstring AnsiText(const std::string& bytes) {
  std::wstring text(bytes.size(), L'\0');
  text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                  static_cast<int>(text.size())));
  return text;
}

std::wstring Decoded(const std::string& bytes) {
  return DecodeTextBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::string kCjkUtf16 = "\xFF\xFE\x2D\x4E\x87\x65";  // U+4E2D U+6587, no line break

}  // namespace

// UTF-16 is recognised by its mark only together with some unit below U+2000 other
// than a line-break page, judged by the high byte alone; anything else is ANSI.
TEST(TextDecoding, TheMarkAndTheBytesChooseTheDecoding) {
  const struct {
    const char* name;
    std::string bytes;
    std::wstring text;
  } rows[] = {
      {"UTF-8 with a surrogate pair", kUtf8Mark + "A\xF0\x9F\x98\x80", L"A\xD83D\xDE00"},
      {"broken UTF-8", kUtf8Mark + "\xC3\x28", AnsiText(kUtf8Mark + "\xC3\x28")},
      {"UTF-16 in one high page", kCjkUtf16, AnsiText(kCjkUtf16)},
      {"UTF-16 with a low byte below 32", "\xFF\xFE\x01\x4E", AnsiText("\xFF\xFE\x01\x4E")},
      {"UTF-16 up to its first NUL", kCjkUtf16 + std::string("\n\0x\0\0\0y\0", 8), L"\x4E2D\x6587\nx"},
      {"big-endian UTF-16", std::string("\xFE\xFF\0a\0\n\0b", 8), L"a\nb"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.text, Decoded(row.bytes)) << row.name;
}
