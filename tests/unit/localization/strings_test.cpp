// Strings by id, from the language table or the program's resources.
#include "localization/strings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "support/scoped_state.h"

TEST(LocalizedStrings, EightResultsInARowStayValid) {
  const ScopedLanguageTable builtInTexts;
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
