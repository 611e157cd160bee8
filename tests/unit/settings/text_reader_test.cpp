#include "settings/text_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

using Lines = std::vector<std::wstring>;

Lines ListedLines(StringList& list) {
  Lines lines;
  for (std::wstring line; list.Next(line);) lines.push_back(line);
  return lines;
}

std::wstring Decoded(const std::string& bytes) {
  return DecodeTextBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// The lines of raw file bytes, decoded and split in memory.
Lines LinesOfBytes(const std::string& bytes) {
  StringList list;
  SplitTextLines(Decoded(bytes), list);
  return ListedLines(list);
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

TEST(TextLines, LineBreaksBlankLinesAndTrailingBlanks) {
  const struct {
    const char* name;
    std::string text;
    Lines lines;
  } rows[] = {
      {"CR LF", "a\r\nb", {L"a", L"b"}},
      {"CR", "a\rb", {L"a", L"b"}},
      {"blank line", "a\r\n \t \r\nb", {L"a", L"b"}},
      {"trailing blanks", "key = v \t\r\n", {L"key = v"}},
      {"leading blanks", "\t  x", {L"\t  x"}},
  };
  for (const auto& row : rows) EXPECT_EQ(row.lines, LinesOfBytes(row.text)) << row.name;
}

class TextFile : public TempFolderTest {};

TEST_F(TextFile, AFileIsReadWholeAcrossItsReadBlocks) {
  std::string bytes = kUtf8Mark;
  for (int i = 0; bytes.size() < 20000; ++i) bytes += "line " + std::to_string(i) + " \xC3\xA8\r\n";
  WriteBytes(Path(L"t.ini"), bytes);
  StringList list;
  ASSERT_TRUE(ReadTextLines(Path(L"t.ini"), list));
  EXPECT_EQ(LinesOfBytes(bytes), ListedLines(list));
}

// Damaged and random bytes: every line is non-empty, unbroken, trimmed and found in
// order in the decoded text.
TEST(TextLines, RandomAndDamagedBytesGiveOnlyTrimmedLinesOfTheText) {
  const unsigned seed = 20240601;
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  auto below = [&](size_t n) { return n ? random() % n : 0; };
  const std::string pieces[] = {"", kUtf8Mark, "\xFF\xFE", "\xFE\xFF", "\r\n", "\n\r", " \t", "\xC3",
                                "\xF0\x9F\x98\x80", "\xF8\x80\x80\x80\x80", std::string(1, '\0'), "a=b", "\xE4\xB8"};
  for (int round = 0; round < 3000; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    std::string bytes = pieces[below(4)];
    for (size_t n = below(60); n > 0; --n) {
      if (below(3))
        bytes += pieces[below(std::size(pieces))];
      else
        bytes += std::string(1 + below(3), static_cast<char>(random()));
    }
    if (below(4) == 0) bytes.resize(below(bytes.size() + 1));
    const std::wstring text = Decoded(bytes);
    size_t at = 0;
    for (const std::wstring& line : LinesOfBytes(bytes)) {
      ASSERT_FALSE(line.empty());
      ASSERT_NE(L' ', line.back());
      ASSERT_NE(L'\t', line.back());
      ASSERT_EQ(std::wstring::npos, line.find_first_of(std::wstring(L"\r\n\0", 3)));
      at = text.find(line, at);
      ASSERT_NE(std::wstring::npos, at) << "a line that is not in the text";
      at += line.size();
    }
  }
}
