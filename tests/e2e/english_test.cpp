// The English translation that the build makes, beside Uninstall.exe as its language
// file, as its language library or both: the uninstall question and the settings
// dialog speak English, and the file wins where the two differ.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "e2e/built_english.h"
#include "e2e/staged_product.h"
#include "support/test_names.h"

namespace {

const wchar_t kSettingsWarning[] =
    L"All settings, including the passwords kept in the password organizer and in the compression profiles, will "
    L"be lost unless you have exported them before.\r\n\r\n";
const wchar_t kFirstHelpSentence[] = L"This option controls how Bramix integrates with Windows.";

// The uninstall run's question, answered No.
ShownDialog UninstallQuestion(const StagedInstallation& install) { return FirstDialog(install, L"", IDNO); }
// Setup's settings dialog, cancelled.
ShownDialog SettingsDialogTexts(const StagedInstallation& install) { return FirstDialog(install, L"-setup", IDCANCEL); }

class Staged : public testing::Test {
 protected:
  // Copies a file that the build made into the installation under its own name.
  void Stage(const std::wstring& built) {
    const std::string bytes = ReadFileBytes(built);
    ASSERT_NE("<missing>", bytes) << "not built: " << testing::PrintToString(built);
    install_.WriteFile(built.substr(built.find_last_of(L'\\') + 1), bytes);
  }
  StagedInstallation install_{L"C:\\Program Files\\Bramix " + CurrentTestName()};
};

class EnglishBesideTheProgram : public Staged, public testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override { Stage(BuiltEnglish(GetParam())); }
};

// The library, and beside it a language file with a settings dialog caption of its own.
class EnglishFileAndLibrary : public Staged {
 protected:
  void SetUp() override {
    Stage(BuiltEnglish(L"zpklng.dll"));
    install_.WriteFile(L"uninstall.lng",
                       "***messages**\r\n:DIALOG SETUPDLG\r\nCAPTION Bramix settings\r\n");
  }
};

// A language file with keys that no table knows, a caption given twice and a
// question of 70,000 characters; it translates nothing else.
class BadLanguageFile : public Staged {
 protected:
  void SetUp() override {
    install_.WriteFile(L"uninstall.lng", "***messages**\r\nIDS_NOSUCHTEXT Nothing\r\nIDS_SETTINGSWARN " +
                                             std::string(70000, 'x') +
                                             "\r\n:DIALOG SETUPDLG\r\nIDC_NOSUCHBOX Nothing\r\n"
                                             "CAPTION First caption\r\nCAPTION Second caption\r\n"
                                             ":DIALOG NOSUCHDLG\r\nCAPTION Nowhere\r\n");
  }
};

// The library with every second string left out: among them the question's title
// and the question, and the first sentence of the settings dialog's help.
class HalfLanguageLibrary : public Staged {
 protected:
  void SetUp() override { Stage(BuiltLanguageFile(L"half-english", L"zpklng.dll")); }
};

constexpr wchar_t kItalianTitle[] = L"Rimuovi Bramix";
constexpr wchar_t kItalianQuestion[] = L"Avvio la rimozione di Bramix?";

}  // namespace

TEST_P(EnglishBesideTheProgram, AsksTheUninstallQuestionInEnglish) {
  const ShownDialog box = UninstallQuestion(install_);
  EXPECT_EQ(L"Remove Bramix", box.Caption);
  EXPECT_EQ(kSettingsWarning + std::wstring(L"Do you want to remove Bramix?"), box.Text);
}

TEST_P(EnglishBesideTheProgram, ShowsTheSettingsDialogInEnglish) {
  const ShownDialog dialog = SettingsDialogTexts(install_);
  EXPECT_EQ(L"Bramix setup", dialog.Caption);
  EXPECT_EQ(L"Open these archives with Bramix:", dialog.FormatsGroup);
  EXPECT_NE(std::wstring::npos, dialog.HelpText.find(kFirstHelpSentence)) << testing::PrintToString(dialog.HelpText);
}

INSTANTIATE_TEST_SUITE_P(As, EnglishBesideTheProgram, testing::Values(L"uninstall.lng", L"zpklng.dll"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           return std::wstring(info.param) == L"uninstall.lng" ? "LanguageFile" : "LanguageLibrary";
                         });

TEST_F(EnglishFileAndLibrary, TheFilesCaptionWinsAndTheLibraryGivesTheRest) {
  const ShownDialog dialog = SettingsDialogTexts(install_);
  EXPECT_EQ(L"Bramix settings", dialog.Caption);
  EXPECT_EQ(L"Open these archives with Bramix:", dialog.FormatsGroup);
}

// Every text is read through a buffer of 1024 units.
TEST_F(BadLanguageFile, OverlongTextIsShownCutTo1023Characters) {
  EXPECT_EQ(std::wstring(1023, L'x') + L"\r\n\r\n" + kItalianQuestion, UninstallQuestion(install_).Text);
}

// Lookups find the first of a key's records, kept in the order of the file.
TEST_F(BadLanguageFile, FirstOfTwoTextsOfAKeyWins) {
  EXPECT_EQ(L"First caption", SettingsDialogTexts(install_).Caption);
}

TEST_F(HalfLanguageLibrary, UninstallQuestionShowsTheBuiltInTextsTheLibraryLacks) {
  const ShownDialog box = UninstallQuestion(install_);
  EXPECT_EQ(kItalianTitle, box.Caption);
  EXPECT_EQ(kSettingsWarning + std::wstring(kItalianQuestion), box.Text);
  EXPECT_EQ(0u, box.ExitCode);
}

TEST_F(HalfLanguageLibrary, SettingsHelpShowsTheBuiltInSentenceTheLibraryLacks) {
  const ShownDialog dialog = SettingsDialogTexts(install_);
  EXPECT_NE(std::wstring::npos, dialog.HelpText.find(L"Questa opzione controlla l'integrazione di Bramix in Windows."))
      << testing::PrintToString(dialog.HelpText);
  EXPECT_NE(std::wstring::npos, dialog.HelpText.find(L"The first group of options selects the archive types"))
      << testing::PrintToString(dialog.HelpText);
  EXPECT_EQ(1u, dialog.ExitCode);
}
