// Strings by id, from the language table or the program's resources.
#include "localization/strings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "localization/language_file.h"
#include "support/scoped_state.h"

namespace {

// Tests that read strings through the process-wide language table, empty at the
// start of each and restored after it.
class LocalizedStrings : public testing::Test {
 protected:
  const ScopedLanguageTable texts_;
  void Load(const std::wstring& lines) {
    ParseLanguageText((L"***messages**\r\n" + lines).c_str(), WritableLanguageTexts());
  }
};

}  // namespace

TEST_F(LocalizedStrings, ALongTextIsCutToTheBuffer) {
  Load(L"IDS_BRAMIXHELP " + std::wstring(2000, L'x') + L"\r\n");
  EXPECT_EQ(std::wstring(kLocalizedBufferSize - 1, L'x'), GetLocalizedString(IDS_BRAMIXHELP));
}

TEST_F(LocalizedStrings, EightResultsInARowStayValid) {
  const UINT ids[8] = {IDS_CONTINUEUNINSTALL, IDS_BRAMIXHELP, IDS_UNINSTALLZPK, IDS_UNINSTTITLE,
                       IDS_BETA,              5999,           IDS_UNINSTALLCOMPLETED, IDS_32BIT};
  const wchar_t* results[8];
  std::wstring copies[8];
  for (int i = 0; i < 8; ++i) {
    results[i] = GetLocalizedString(ids[i]);
    copies[i] = results[i];
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(copies[i], results[i]) << "id " << ids[i];
  EXPECT_EQ(8u, std::set<const wchar_t*>(results, results + 8).size());
}
