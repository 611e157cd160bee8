// Strings by id, from the language table or the program's resources.
#include "localization/strings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "localization/language_file.h"
#include "localization/language_table.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

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

TEST_F(LocalizedStrings, AnUnknownIdGivesAnEmptyText) { EXPECT_STREQ(L"", GetLocalizedString(5999)); }

TEST_F(LocalizedStrings, AnEmptyTextInTheLanguageFileWins) {
  Load(L"IDS_BETA \r\n");
  EXPECT_STREQ(L"", GetLocalizedString(IDS_BETA));
}

TEST_F(LocalizedStrings, ALongTextIsCutToTheBuffer) {
  Load(L"IDS_BRAMIXHELP " + std::wstring(2000, L'x') + L"\r\n");
  EXPECT_EQ(std::wstring(kLocalizedBufferSize - 1, L'x'), GetLocalizedString(IDS_BRAMIXHELP));
}

TEST_F(LocalizedStrings, DialogKeysNeverServeStrings) {
  Load(L":DIALOG SETUPDLG\r\nIDS_UNINSTTITLE Dialog text\r\n");
  EXPECT_STREQ(L"Bramix gestione archivi", GetLocalizedString(IDS_UNINSTTITLE));
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

// The language folder named in the registry, as an environment variable pointing at
// a temporary folder.
class LanguageFolder : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.Ok());
    ASSERT_TRUE(folder_.Ok());
    ASSERT_TRUE(PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\General", L"LanguageFolder",
                        L"%UNINSTALL_TEST_LANGUAGES%"));
  }
  ScopedRegistrySandbox registry_;
  ScopedTempFolder folder_;
  ScopedEnvVar variable_{L"UNINSTALL_TEST_LANGUAGES", folder_.Root().c_str()};
};

TEST_F(LanguageFolder, ThisBuildDoesNotRedirect) {
  ASSERT_TRUE(WriteFileBytes(folder_.Path(L"uninstall.lng"), "x"));
  EXPECT_FALSE(LanguageFolderRedirectionBuiltIn());
  std::wstring out;
  ResolveLanguagePath(L"C:\\x\\uninstall.lng", out);
  EXPECT_EQ(L"C:\\x\\uninstall.lng", out);
}

TEST_F(LanguageFolder, AFileInTheConfiguredFolderIsUsed) {
  ASSERT_TRUE(WriteFileBytes(folder_.Path(L"uninstall.lng"), "x"));
  std::wstring out;
  RedirectToLanguageFolder(L"C:\\x\\uninstall.lng", out);
  EXPECT_EQ(folder_.Path(L"uninstall.lng"), out);
}

TEST_F(LanguageFolder, WithoutTheFileThereThePathIsKept) {
  std::wstring out;
  RedirectToLanguageFolder(L"C:\\x\\missing.lng", out);
  EXPECT_EQ(L"C:\\x\\missing.lng", out);
}
