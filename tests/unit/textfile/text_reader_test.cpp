#include "settings/text_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/temp_folder.h"

namespace {

using Lines = std::vector<std::wstring>;

std::wstring Ansi(const std::string& bytes) {
  std::wstring out(bytes.size(), L'\0');
  return out.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), out.data(), int(out.size()))), out;
}

class TextFileTest : public TempFolderTest {
 protected:
  Lines ReadLines(const std::string& bytes) {
    WriteBytes(Path(L"t.ini"), bytes);
    StringList list;
    EXPECT_TRUE(ReadTextLines(Path(L"t.ini"), list));
    Lines lines(1);
    while (list.Next(lines.back())) lines.emplace_back();
    return lines.pop_back(), lines;
  }
};

}  // namespace

TEST_F(TextFileTest, EncodingsLinesAndDamagedFiles) {
  const std::string cjkWithoutBreak = "\xFF\xFE\x2D\x4E\x87\x65", badUtf8 = "\xEF\xBB\xBF\xC3\x28";
  EXPECT_EQ(Lines{}, ReadLines(""));
  EXPECT_EQ(Lines{Ansi("\xEF\xBB\xBF")}, ReadLines("\xEF\xBB\xBF"));  // a mark alone is too short
  EXPECT_EQ(Lines{Ansi(cjkWithoutBreak)}, ReadLines(cjkWithoutBreak));  // no high byte below 32
  EXPECT_EQ(Lines{Ansi(badUtf8)}, ReadLines(badUtf8));
  EXPECT_EQ((Lines{L"\x4E2D\x6587", L"x"}), ReadLines(cjkWithoutBreak + std::string("\n\0x\0", 4)));
  EXPECT_EQ(Lines{L"A\xD83D\xDE00\x20AC"}, ReadLines("\xEF\xBB\xBF" "A\xF0\x9F\x98\x80\xE2\x82\xAC"));
  EXPECT_EQ((Lines{L"a", L"b", L"c", L"d", L"e", L"\tkey = v", L"  x"}),
            ReadLines("a\r\nb\nc\rd\n\re\r\n\r\n \t \r\n\r\n\tkey = v \t\n\n  x  \r"));
  // Damaged and random files: every line is non-empty, unbroken, trimmed and found in order in the decoded text.
  std::mt19937 random(20240601);
  auto below = [&](size_t n) { return n ? random() % n : 0; };
  const std::string pieces[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\r\n", "\n\r", " \t", "\xC3",
                                "\xF0\x9F\x98\x80", "\xF8\x80\x80\x80\x80", std::string(1, '\0'), "a=b", "\xE4\xB8"};
  for (int i = 0; i < 3000; ++i) {
    std::string bytes = pieces[below(4)];
    for (size_t n = i % 500 == 1 ? 1000000 : below(60); n > 0; --n)  // now and then a few megabytes
      bytes += below(3) ? pieces[below(std::size(pieces))] : std::string(1 + below(3), static_cast<char>(random()));
    if (i % 300 == 0) bytes.insert(below(bytes.size() + 1), std::string(100000 * (1 + i % 2), "x\x4E"[i % 2]));
    if (below(4) == 0) bytes.resize(below(bytes.size() + 1));
    std::wstring text = DecodeTextBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    for (size_t at = 0; const std::wstring& line : ReadLines(bytes)) {
      ASSERT_TRUE(!line.empty() && line.back() != L' ' && line.back() != L'\t') << i;
      ASSERT_EQ(std::wstring::npos, line.find_first_of(std::wstring(L"\r\n\0", 3))) << i;
      ASSERT_NE(std::wstring::npos, at = text.find(line, at)) << i;
      at += line.size();
    }
  }
}
