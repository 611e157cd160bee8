#include "settings/text_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "unit/textfile/text_test_support.h"

namespace {

TextEncoding Detect(const std::string& bytes) { return DetectTextEncoding(Bytes(bytes).data(), bytes.size()); }
bool ValidUtf8(const std::string& bytes) { return IsValidUtf8(Bytes(bytes).data(), bytes.size()); }

std::wstring DecodeUtf8Text(const std::string& bytes, size_t capacity = 64) {
  std::vector<wchar_t> out(capacity + 1, L'#');
  size_t written = DecodeUtf8(Bytes(bytes).data(), bytes.size(), out.data(), capacity);
  EXPECT_EQ(0, out[written]);
  EXPECT_EQ(L'#', out[capacity]);
  return std::wstring(out.data(), written);
}

class TextFileTest : public TempFolderTest {
 protected:
  std::vector<std::wstring> ReadLines(const std::string& bytes, bool* opened = nullptr) {
    WriteBytes(Path(L"t.ini"), bytes);
    StringList list;
    bool ok = ReadTextLines(Path(L"t.ini"), list);
    if (opened) *opened = ok;
    return Lines(list);
  }
};

}  // namespace

TEST(TextEncodingDetection, MarksAndStructure) {
  EXPECT_EQ(TextEncoding::Ansi, Detect(""));
  EXPECT_EQ(TextEncoding::Ansi, Detect("\xEF\xBB\xBF"));  // a mark alone is not more than 3 bytes
  EXPECT_EQ(TextEncoding::Utf8, Detect("\xEF\xBB\xBF" "a"));
  EXPECT_EQ(TextEncoding::Ansi, Detect("\xEF\xBB\xBF" "\xC3\x28"));
  EXPECT_EQ(TextEncoding::Ansi, Detect("\xEF\xBB\xBF" "\xE2\x82"));
  EXPECT_EQ(TextEncoding::Ansi, Detect("\xFF\xFE"));
  EXPECT_EQ(TextEncoding::Utf16, Detect(Utf16Le(L"a")));
  EXPECT_EQ(TextEncoding::Utf16, Detect(Utf16Le(L"\x4E2D\x6587\n")));
  EXPECT_EQ(TextEncoding::Ansi, Detect(Utf16Le(L"\x4E2D\x6587")));  // no line break: every high byte is 32 or more
  EXPECT_EQ(TextEncoding::Ansi, Detect(Utf16Le(L"\x0A0A\x0D0D")));
  EXPECT_EQ(TextEncoding::Utf16, Detect(std::string("\xFE\xFF\0a", 4)));
  EXPECT_EQ(TextEncoding::Ansi, Detect(std::string("\xFE\xFF\x4E\0", 4)));

  EXPECT_TRUE(ValidUtf8(""));
  EXPECT_TRUE(ValidUtf8("\xF8\x80\x80\x80\x80"));  // five-byte leads pass the structural test
  EXPECT_TRUE(ValidUtf8("\xFC\x80\x80\x80\x80\x80"));
  EXPECT_FALSE(ValidUtf8("\xFE\x80\x80\x80\x80\x80\x80"));
  EXPECT_FALSE(ValidUtf8("\x80"));
  EXPECT_FALSE(ValidUtf8("a\xE2\x82"));
  EXPECT_FALSE(ValidUtf8("\xE2\x28\xA1"));
}

TEST(TextDecoding, Utf8Decoder) {
  EXPECT_EQ(L"A\x20AC\xD83D\xDE00", DecodeUtf8Text("A\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_EQ(L"ab", DecodeUtf8Text("a\xF7\xBF\xBF\xBF" "b"));  // above U+10FFFF: dropped
  EXPECT_EQ(L"a", DecodeUtf8Text("a\xF8\x80\x80\x80\x80" "b"));  // five bytes: the end
  EXPECT_EQ(L"a", DecodeUtf8Text(std::string("a\0b", 3)));
  EXPECT_EQ(L"a", DecodeUtf8Text("a\xC3"));
  EXPECT_EQ(L"a", DecodeUtf8Text("a\x80" "b"));
  EXPECT_EQ(L"ab", DecodeUtf8Text("abc", 3));
  EXPECT_EQ(L"a", DecodeUtf8Text("a\xF0\x9F\x98\x80", 3));  // no room for both halves of the pair
  EXPECT_EQ(L"", DecodeUtf8Text("abc", 1));
}

TEST(TextDecoding, EachEncoding) {
  EXPECT_EQ(L"a\nb", Decode(Utf16Le(L"a\nb") + "x"));  // a last odd byte is ignored
  EXPECT_EQ(L"\x4E2D\n", Decode(std::string("\xFE\xFF\x4E\x2D\0\n", 6)));
  EXPECT_EQ(L"\x00E9t\x00E9", Decode("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(Ansi("\xE9t\xE9 x"), Decode("\xE9t\xE9 x"));
  EXPECT_EQ(Ansi("\xEF\xBB\xBF"), Decode("\xEF\xBB\xBF"));
  EXPECT_EQ(Ansi("\xEF\xBB\xBF\xC3\x28"), Decode("\xEF\xBB\xBF\xC3\x28"));  // the mark stays in the text
  EXPECT_EQ(Ansi(Utf16Le(L"\x4E2D\x6587")), Decode(Utf16Le(L"\x4E2D\x6587")));
  EXPECT_EQ(L"a", Decode(std::string("a\0b\nc", 5)));
  EXPECT_EQ(L"", Decode(""));
}

TEST(TextLines, SeparatorsAndBlanks) {
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e", L"f"}),
            Split(L"a\r\nb\nc\rd\n\re\r\n\r\n\r\n\r\nf"));
  EXPECT_EQ((std::vector<std::wstring>{L"\tkey = v", L"  x"}), Split(L" \t \r\n\tkey = v \t\n\n  x  \r"));
  EXPECT_EQ(std::vector<std::wstring>{}, Split(L"\r\n \t\n"));
  EXPECT_EQ(std::vector<std::wstring>{}, Split(L""));
}

TEST_F(TextFileTest, WholeFiles) {
  bool opened = true;
  StringList list;
  list.Add(L"stale");
  EXPECT_FALSE(ReadTextLines(Path(L"missing.ini"), list));
  EXPECT_EQ(0u, list.Count());
  EXPECT_TRUE(ReadLines("", &opened).empty());
  EXPECT_TRUE(opened);
  EXPECT_EQ(std::vector<std::wstring>{Ansi("\xEF\xBB\xBF")}, ReadLines("\xEF\xBB\xBF"));
  EXPECT_EQ((std::vector<std::wstring>{L"[Options]", L"Lang=\x0418"}), ReadLines(Utf16Le(L"[Options]\r\nLang=\x0418\r\n")));

  // Many blocks, with lines across the block boundaries, in UTF-8 and UTF-16.
  std::wstring text;
  std::vector<std::wstring> expected;
  for (int i = 0; text.size() < 1500000; ++i) {
    expected.push_back(L"line " + std::to_wstring(i) + L" \x00E9\x4E2D" + std::wstring(i % 97, L'x'));
    text += expected.back() + (i % 3 ? L"\r\n" : L"\n \t\n");
  }
  EXPECT_EQ(expected, ReadLines("\xEF\xBB\xBF" + Utf8(text)));
  EXPECT_EQ(expected, ReadLines(Utf16Le(text)));
}
