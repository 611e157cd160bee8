// Language files read from disk: the marker search and damaged files.
#include <gtest/gtest.h>

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

}  // namespace

TEST_F(LanguageFile, AMarkerAcrossTheFirstBlocksEndIsFound) {
  EXPECT_EQ(L"text", TextOf(Read(std::string(8185, 'x') + "***messages**\r\nK text\r\n"), "s:K"));
}

// Files with a known good part, cut short or overwritten with noise at random places,
// ANSI and UTF-16 by turns.
TEST_F(LanguageFile, RandomlyDamagedFilesGiveOnlyRecordsWithinTheLimits) {
  const unsigned seed = 4321;
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  const std::wstring good = L"***messages**\r\nK1 \"quoted\\t\"\r\n:DIALOG D\r\nK2,\ttext\r\n:MENU M\r\n" +
                            std::wstring(60, L'N') + L" " + std::wstring(70000, L'q') + L"\r\n";
  for (int round = 0; round < 1000; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    std::string bytes = round % 2 ? Utf16FileBytes(good) : std::string(good.begin(), good.end());
    for (int n = 0; n < 3; ++n) {
      std::string noise(random() % 64, '\0');
      for (char& c : noise) c = static_cast<char>(random());
      bytes.replace(random() % (bytes.size() + 1), random() % 16, noise);
    }
    if (round % 4 >= 2) bytes.resize(random() % (bytes.size() + 1));
    for (const LanguageRecord& record : Read(bytes).Records()) {
      ASSERT_NE(std::string::npos, std::string("s$@").find(record.Key[0])) << record.Key;
      ASSERT_LE(record.Key.size(), 49u);
      ASSERT_LE(record.Text.size(), 65536u);
    }
  }
}
