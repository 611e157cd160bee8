// Language files read from disk: the marker search, ANSI and UTF-16, the size limit,
// and random, cut and damaged files.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "localization/language_file.h"
#include "localization/language_table.h"
#include "support/language_records.h"
#include "support/file_bytes.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"

namespace {

// Reads files into the process-wide table, emptied before each read and restored after the test.
class LanguageFile : public TempFolderTest {
 protected:
  const ScopedLanguageTable texts_;
  const LanguageTable& Read(const std::string& bytes) {
    WriteBytes(Path(L"uninstall.lng"), bytes);
    WritableLanguageTexts().Clear();
    ReadLanguageFile(Path(L"uninstall.lng"));
    return LanguageTexts();
  }
};

// Text of exactly one million characters from its marker on: a key just inside the
// limit and one just outside.
std::wstring TextAtTheLimit() {
  std::wstring text = L"***messages**\r\nIDS_BETA first\r\n";
  text += std::wstring(0x100000 - text.size() - 15, L';');
  return text + L"\r\nIDS_32BIT inside\r\nIDS_64BIT outside\r\n";
}

constexpr size_t kScanReach = 256 * 8176 + 16;  // 256 blocks of 8192 bytes overlapping by 16

}  // namespace

TEST_F(LanguageFile, AnAnsiFileIsRead) {
  EXPECT_EQ(L"Remove", TextOf(Read("header\r\n***messages**\r\nIDS_UNINSTALLZPK Remove\r\n"), "s:IDS_UNINSTALLZPK"));
}

TEST_F(LanguageFile, AUtf16FileIsRead) {
  const std::string bytes = Utf16FileBytes(L"***messages**\r\nIDS_UNINSTALLZPK \x05D4\x05E1\x05E8\r\n");
  EXPECT_EQ(L"\x05D4\x05E1\x05E8", TextOf(Read(bytes), "s:IDS_UNINSTALLZPK"));
}

TEST_F(LanguageFile, AFileWithoutAMarkerAddsNothing) {
  EXPECT_TRUE(Read("IDS_UNINSTALLZPK Remove\r\n***messages*\r\n").Empty());
}

TEST_F(LanguageFile, AMarkerBeyondTheScannedBlocksIsNotFound) {
  EXPECT_TRUE(Read(std::string(kScanReach, 'x') + "***messages**\r\nK text\r\n").Empty());
}

TEST_F(LanguageFile, AMarkerEndingTheLastScannedBlockIsFound) {
  EXPECT_EQ(L"text", TextOf(Read(std::string(kScanReach - 13, 'x') + "***messages**\r\nK text\r\n"), "s:K"));
}

TEST_F(LanguageFile, AMarkerAcrossTheFirstBlocksEndIsFound) {
  EXPECT_EQ(L"text", TextOf(Read(std::string(8185, 'x') + "***messages**\r\nK text\r\n"), "s:K"));
}

TEST_F(LanguageFile, OneMillionCharactersAreParsedInAnAnsiFile) {
  const std::wstring text = TextAtTheLimit();
  const LanguageTable& table = Read(std::string(text.begin(), text.end()));
  EXPECT_EQ(L"ins", TextOf(table, "s:IDS_32BIT"));
  EXPECT_EQ(L"<none>", TextOf(table, "s:IDS_64BIT"));
}

TEST_F(LanguageFile, OneMillionCharactersAreParsedInAUtf16File) {
  const LanguageTable& table = Read(Utf16Bytes(TextAtTheLimit()));
  EXPECT_EQ(L"ins", TextOf(table, "s:IDS_32BIT"));
  EXPECT_EQ(L"<none>", TextOf(table, "s:IDS_64BIT"));
}

namespace {

// One random language file: distinct keys with their expected texts, and the file's bytes.
struct RandomFile {
  std::map<std::string, std::wstring> keys;
  std::string bytes;
};

class RandomSource {
 public:
  explicit RandomSource(unsigned seed) : random_(seed) {}
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  std::string Noise(size_t count) {
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(Below(256));
    return bytes;
  }
  // Keys "K" and six digits, texts of letters, blanks, commas and accents (Hebrew in
  // UTF-16 only), now and then very long; quoted, after a blank or a comma and a tab.
  RandomFile File(bool wide) {
    RandomFile file;
    std::wstring text = L"***messages**\r\n; comment\r\n";
    for (size_t n = 1 + Below(20); n > 0; --n) {
      std::string name = std::to_string(Below(1000000) + 1000000);
      name[0] = 'K';
      std::wstring value(Below(50) ? 0 : 100000, L'q');
      for (size_t i = Below(30); i > 0; --i) value += L"ab z,\x00E8\x00C3\x05D0"[Below(wide ? 8 : 7)];
      const std::wstring expected = wide ? value : AnsiText(std::string(value.begin(), value.end()));
      if (!file.keys.emplace(name, expected.substr(0, 65535)).second) continue;
      text += std::wstring(name.begin(), name.end()) + (Below(2) ? L" \"" : L",\t\"") + value + L"\"\r\n";
    }
    file.bytes = wide ? Utf16FileBytes(text) : std::string(text.begin(), text.end());
    return file;
  }

 private:
  std::mt19937 random_;
};

}  // namespace

// Each round takes a random file of distinct keys, ANSI or UTF-16, and either hides
// its marker, cuts it, damages it, or puts it whole behind a random header.
TEST_F(LanguageFile, RandomCutDamagedAndHiddenFilesReadOnlyWhatTheyHold) {
  const unsigned seed = 4321;
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  RandomSource random(seed);
  for (int round = 0; round < 3000; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    const bool wide = round % 2;
    const bool big = round % 400 < 8;
    RandomFile file = random.File(wide);
    switch (round / 2 % 4) {
      case 0: {  // no marker in reach
        std::string bytes;
        if (big) {
          bytes = std::string(wide ? 3 << 20 : kScanReach, 'x') + file.bytes;
        } else {
          const std::string small[] = {"", "\xFF\xFE", "***messages*", random.Noise(random.Below(20000))};
          bytes = small[random.Below(4)];
        }
        ASSERT_TRUE(Read(bytes).Empty());
        break;
      }
      case 1: {  // cut: keys of the file, each with its text or the start of it
        file.bytes.resize(random.Below(file.bytes.size() + 1));
        for (const LanguageRecord& record : Read(file.bytes).Records()) {
          ASSERT_EQ("s:", record.Key.substr(0, 2));
          const auto found = file.keys.find(record.Key.substr(2));
          ASSERT_NE(file.keys.end(), found) << "a key the file does not hold: " << record.Key;
          ASSERT_TRUE(found->second.starts_with(record.Text)) << record.Key;
        }
        break;
      }
      case 2: {  // damaged: every record within the limits
        for (int n = 0; n < 3; ++n)
          file.bytes.replace(random.Below(file.bytes.size() + 1), random.Below(16), random.Noise(random.Below(64)));
        for (const LanguageRecord& record : Read(file.bytes).Records()) {
          ASSERT_NE(std::string::npos, std::string("s$@").find(record.Key[0])) << record.Key;
          ASSERT_LE(record.Key.size(), 49u);
          ASSERT_LE(record.Text.size(), 65536u);
        }
        break;
      }
      default: {  // whole behind a header, the big ones with 3 MB after them: every key
        size_t header = random.Below(2) ? random.Below(300) : 8140 + random.Below(60);
        if (big) header = kScanReach - (wide ? 28 : 13);
        const std::string bytes = random.Noise(header) + file.bytes + std::string(big ? 3 << 20 : 0, ';');
        const LanguageTable& table = Read(bytes);
        ASSERT_EQ(file.keys.size(), table.Size());
        for (const auto& [name, text] : file.keys) ASSERT_EQ(text, TextOf(table, "s:" + name)) << name;
      }
    }
  }
}
