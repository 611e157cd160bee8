// Random and mutated language texts and files: the reader never crashes, keeps its
// limits, and finds what a well-formed file holds.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <random>
#include <string>

#include "localization/language_file.h"
#include "localization/language_table.h"
#include "unit/localization/language_test_files.h"

namespace {

void ExpectWithinLimits(const LanguageTable& table) {
  for (const LanguageRecord& record : table.Records()) {
    ASSERT_FALSE(record.Key.empty());
    ASSERT_LE(record.Key.size(), 49u);
    ASSERT_TRUE(record.Key[0] == 's' || record.Key[0] == '$' || record.Key[0] == '@') << record.Key;
    ASSERT_LE(record.Text.size(), 65536u);
  }
}

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  // A key name and a text that the reader must give back unchanged.
  std::wstring Name() {
    std::wstring name(1, static_cast<wchar_t>(L'A' + Below(26)));
    for (size_t i = Below(20); i > 0; --i) name += L"ABCXYZ_0123456789abc"[Below(20)];
    return name;
  }
  // Spaces at either end are kept by the enclosing quotes.
  std::wstring PlainText(bool asciiOnly) {
    std::wstring text;
    for (size_t i = Below(40); i > 0; --i) text += L"abc xyz,.;:!?\x00E8\x05D0\x4E2D"[Below(asciiOnly ? 13 : 16)];
    return text;
  }

  // A text of random line fragments, some valid and some not.
  std::wstring Noise(size_t length) {
    static const wchar_t* const kPieces[] = {L"\r\n", L"\n", L"\r", L":STRINGS", L":DIALOG ", L":MENU ",
                                            L":DIRECTION RTL", L"\\", L"\"", L"\\\"", L" ", L"\t", L",",
                                            L"IDS_BETA", L"SETUPDLG", L"\\n", L"\x00E8", L"\xFFFF", L"\xD800"};
    std::wstring text;
    while (text.size() < length) {
      if (Below(3) == 0)
        text += kPieces[Below(std::size(kPieces))];
      else
        text += static_cast<wchar_t>(1 + Below(Below(2) ? 127 : 0xFFFE));
    }
    return text;
  }

  std::string Bytes(size_t length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(Below(256));
    return bytes;
  }

  void Mutate(std::string& bytes) {
    for (size_t n = 1 + Below(8); n > 0 && !bytes.empty(); --n) {
      size_t at = Below(bytes.size());
      switch (Below(4)) {
        case 0: bytes[at] = static_cast<char>(Below(256)); break;
        case 1: bytes.erase(at, 1 + Below(16)); break;
        case 2: bytes.insert(at, Bytes(1 + Below(16))); break;
        default: bytes.resize(at); break;
      }
    }
  }

 private:
  std::mt19937 random_;
};

// A well-formed file: marker, then key lines with distinct names.
struct WellFormed {
  std::map<std::wstring, std::wstring> keys;
  std::wstring text;
};

WellFormed MakeWellFormed(Generator& g, size_t count, bool asciiOnly) {
  WellFormed file;
  file.text = L"***messages**\r\n; comment\r\n";
  while (file.keys.size() < count) {
    std::wstring name = g.Name();
    if (file.keys.count(name)) continue;
    std::wstring text = g.PlainText(asciiOnly);
    file.keys[name] = text;
    file.text += name + (g.Below(2) ? L" " : L",\t") + L"\"" + text + L"\"" + (g.Below(2) ? L"\r\n" : L"\n");
  }
  return file;
}

std::string AnsiBytes(const std::wstring& text) {
  std::string bytes(text.size() * 2 + 1, '\0');
  int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(n > 0 ? n : 0);
  return bytes;
}

void ExpectAllKeys(const LanguageTable& table, const WellFormed& file) {
  for (const auto& [name, text] : file.keys) {
    std::string key = "s:" + std::string(name.begin(), name.end());
    const std::wstring* found = table.Find(key.c_str());
    ASSERT_NE(nullptr, found) << key;
    ASSERT_EQ(text, *found) << key;
  }
}

}  // namespace

TEST(LanguageFuzz, RandomTextsInMemory) {
  Generator g(1234);
  for (int round = 0; round < 3000; ++round) {
    LanguageTable table;
    std::wstring text = g.Noise(g.Below(3) == 0 ? g.Below(100) : g.Below(5000));
    if (round % 100 == 0) text += std::wstring(100000, static_cast<wchar_t>(L'a' + round % 26));
    ParseLanguageText(text.c_str(), table);
    ExpectWithinLimits(table);
  }
}

TEST(LanguageFuzz, WellFormedTextsGiveEveryKey) {
  Generator g(99);
  for (int round = 0; round < 300; ++round) {
    WellFormed file = MakeWellFormed(g, 1 + g.Below(50), false);
    LanguageTable table;
    ParseLanguageText(file.text.c_str(), table);
    ExpectAllKeys(table, file);
    EXPECT_EQ(file.keys.size(), table.Size());
  }
}

TEST(LanguageFuzz, RandomAndMutatedFiles) {
  ClearLanguageTableAfter clear;
  LanguageFolder files;
  Generator g(4321);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    switch (round % 5) {
      case 0:  // binary without a marker: nothing is read
        bytes = g.Bytes(g.Below(20000));
        EXPECT_TRUE(files.Read(bytes).Empty());
        continue;
      case 1:  // a valid file in either encoding, cut anywhere
      case 2: {
        WellFormed file = MakeWellFormed(g, 1 + g.Below(20), round % 2 == 0);
        bytes = round % 2 ? Utf16Bytes(file.text) : g.Bytes(g.Below(300)) + AnsiBytes(file.text);
        bytes.resize(g.Below(bytes.size() + 1));
        break;
      }
      default: {  // a valid file with random damage
        WellFormed file = MakeWellFormed(g, 1 + g.Below(20), round % 2 == 0);
        bytes = round % 2 ? Utf16Bytes(file.text) : AnsiBytes(file.text);
        g.Mutate(bytes);
        break;
      }
    }
    ExpectWithinLimits(files.Read(bytes));
  }
}

TEST(LanguageFuzz, SpecialFiles) {
  ClearLanguageTableAfter clear;
  LanguageFolder files;
  Generator g(7);
  WellFormed file = MakeWellFormed(g, 200, true);

  EXPECT_TRUE(files.Read("").Empty());
  EXPECT_TRUE(files.Read("\xFF\xFE").Empty());
  EXPECT_TRUE(files.Read("\xEF\xBB\xBF").Empty());
  EXPECT_TRUE(files.Read("***messages*").Empty());
  ExpectAllKeys(files.Read(Utf16Bytes(file.text)), file);
  ExpectAllKeys(files.Read(g.Bytes(5000) + Utf16Bytes(file.text)), file);
  ExpectAllKeys(files.Read(AnsiBytes(file.text)), file);

  // Invalid UTF-8 is ANSI text like any other.
  ExpectWithinLimits(files.Read("***messages**\nIDS_BETA \xC3\x28\xE2\x82\nIDS_32BIT \xF0\x28\x8C\xBC x\xFF\xFE\n"));
  EXPECT_EQ(2u, TheLanguageTable().Size());

  // A 100,000-character line keeps its first 65,536 characters; the next line still counts.
  std::string longLine = "***messages**\nIDS_BETA " + std::string(100000, 'q') + "\nIDS_32BIT after\n";
  EXPECT_EQ(std::wstring(65536, L'q'), TextOf(files.Read(longLine), "s:IDS_BETA"));
  EXPECT_EQ(L"after", TextOf(TheLanguageTable(), "s:IDS_32BIT"));

  // 3 MB of lines after the marker: the keys in the first 2 MB are read.
  std::wstring big = file.text;
  while (big.size() < (3u << 20) / 2) big += L"FILLER " + std::wstring(100, L'f') + L"\r\n";
  ExpectAllKeys(files.Read(Utf16Bytes(big)), file);
}
