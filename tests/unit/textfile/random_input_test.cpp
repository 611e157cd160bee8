// Random and damaged input for the text reader: nothing may crash, and every line
// that comes back must be a real line (not empty, no trailing blank, no line break).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "settings/text_reader.h"
#include "support/temp_folder.h"
#include "unit/textfile/text_test_support.h"

namespace {

// The lines of a text as a plain reading of the rules gives them.
std::vector<std::wstring> ReferenceLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wstring line;
  auto endLine = [&] {
    while (!line.empty() && (line.back() == L' ' || line.back() == L'\t')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
    line.clear();
  };
  for (wchar_t c : text) {
    if (c == 0) break;
    if (c == L'\r' || c == L'\n')
      endLine();
    else
      line.push_back(c);
  }
  endLine();
  return lines;
}

void ExpectRealLines(const std::vector<std::wstring>& lines) {
  for (const std::wstring& line : lines) {
    ASSERT_FALSE(line.empty());
    ASSERT_NE(L' ', line.back());
    ASSERT_NE(L'\t', line.back());
    ASSERT_EQ(std::wstring::npos, line.find_first_of(std::wstring(L"\r\n\0", 3)));
  }
}

class RandomInput {
 public:
  explicit RandomInput(unsigned seed) : random_(seed) {}
  size_t Below(size_t n) { return n == 0 ? 0 : random_() % n; }

  // Text of code points from every plane, with line breaks and blanks, no NUL.
  std::wstring Text(size_t length) {
    static const wchar_t kCommon[] = L"ab =[]\t \r\n\r\n\x00E9\x4E2D\x0A0D\x0D0A";
    std::wstring text;
    while (text.size() < length) {
      uint32_t cp;
      switch (Below(4)) {
        case 0: cp = 1 + Below(0x7F); break;
        case 1: cp = 0x80 + Below(0xD800 - 0x80); break;
        case 2: cp = 0x10000 + Below(0x100000); break;
        default: cp = kCommon[Below(std::size(kCommon) - 1)]; break;
      }
      if (cp >= 0x10000) {
        text += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        text += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        text += static_cast<wchar_t>(cp);
      }
    }
    return text;
  }
  std::string Binary(size_t length) {
    std::string bytes(length, '\0');
    for (char& b : bytes) b = static_cast<char>(random_());
    return bytes;
  }
  // A start that is a mark, a piece of a mark, or nothing.
  std::string Mark() {
    static const char* kMarks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB", "\xFF", "\xEF"};
    return kMarks[Below(std::size(kMarks))];
  }
  std::string Mutate(std::string bytes) {
    for (size_t n = Below(8); n > 0; --n) {
      size_t at = Below(bytes.size() + 1);
      switch (Below(5)) {
        case 0: if (at < bytes.size()) bytes[at] = static_cast<char>(random_()); break;
        case 1: bytes.resize(at); break;
        case 2: bytes.insert(at, std::string("\r\n\0\x80\xC3\xF8\xFF\xFE", 9).substr(Below(9), 1 + Below(3))); break;
        case 3: bytes.insert(at, Binary(Below(16))); break;
        default: bytes.erase(at, Below(8)); break;
      }
    }
    return bytes;
  }
  std::string Sample() {
    size_t length = Below(4) == 0 ? Below(8) : Below(600);
    std::wstring text = Text(length);
    switch (Below(5)) {
      case 0: return Mark() + Utf8(text);
      case 1: return Utf16Le(text);
      case 2: return Utf16Be(text);
      case 3: return Mark() + Binary(length);
      default: return Mark() + std::string(text.begin(), text.end());
    }
  }
 private:
  std::mt19937 random_;
};

class RandomTextFiles : public TempFolderTest {
 protected:
  std::vector<std::wstring> ReadFile(const std::string& bytes) {
    WriteBytes(Path(L"r.ini"), bytes);
    StringList list;
    EXPECT_TRUE(ReadTextLines(Path(L"r.ini"), list));
    return Lines(list);
  }
};

}  // namespace

TEST(RandomText, DamagedBytesGiveRealLines) {
  RandomInput input(20240601);
  for (int i = 0; i < 4000; ++i) {
    std::string bytes = input.Mutate(input.Sample());
    std::wstring text = Decode(bytes);
    ASSERT_EQ(std::wstring::npos, text.find(L'\0'));
    std::vector<std::wstring> lines = Split(text);
    ExpectRealLines(lines);
    ASSERT_EQ(ReferenceLines(text), lines) << "sample " << i;
  }
}

TEST(RandomText, IntactTextComesBackExactly) {
  RandomInput input(7);
  for (int i = 0; i < 500; ++i) {
    std::wstring text = input.Text(1 + input.Below(400)) + L"\n";
    ASSERT_EQ(text, Decode("\xEF\xBB\xBF" + Utf8(text))) << i;
    ASSERT_EQ(text, Decode(Utf16Le(text))) << i;
    ASSERT_EQ(text, Decode(Utf16Be(text))) << i;
  }
}

TEST(RandomText, DecoderStaysInItsOutput) {
  RandomInput input(99);
  for (int i = 0; i < 3000; ++i) {
    std::string bytes = input.Mutate(Utf8(input.Text(input.Below(40))));
    size_t capacity = input.Below(50);
    std::vector<wchar_t> out(capacity + 1, L'#');
    size_t written = DecodeUtf8(Bytes(bytes).data(), bytes.size(), out.data(), capacity);
    ASSERT_EQ(L'#', out[capacity]);
    if (capacity == 0) continue;
    ASSERT_LT(written, capacity);
    ASSERT_EQ(0, out[written]);
  }
}

TEST_F(RandomTextFiles, FilesOfEveryKind) {
  RandomInput input(31337);
  for (const std::string& bytes : {std::string(), std::string("\xEF\xBB\xBF"), std::string("\xFF\xFE"),
                                   std::string("\xFE\xFF"), std::string("\xFF\xFE\n"), std::string(1, '\0')}) {
    std::vector<std::wstring> lines = ReadFile(bytes);
    ExpectRealLines(lines);
    EXPECT_EQ(ReferenceLines(Decode(bytes)), lines);
  }
  for (int i = 0; i < 150; ++i) {
    std::string bytes = input.Mutate(input.Sample());
    std::vector<std::wstring> lines = ReadFile(bytes);
    ExpectRealLines(lines);
    ASSERT_EQ(ReferenceLines(Decode(bytes)), lines) << "file " << i;
  }

  // Lines of 100,000 characters, and a few megabytes of damaged and binary bytes.
  std::wstring longLine(100000, L'\x4E2D');
  longLine[500] = L' ';
  std::vector<std::wstring> lines = ReadFile(Utf16Le(longLine + L" \r\n" + longLine));
  EXPECT_EQ((std::vector<std::wstring>{longLine, longLine}), lines);
  std::string big = "\xEF\xBB\xBF" + Utf8(input.Text(1500000));
  lines = ReadFile(input.Mutate(big));
  ExpectRealLines(lines);
  lines = ReadFile(input.Binary(3000000));
  ExpectRealLines(lines);
}
