// The English translation that the build makes, beside Uninstall.exe as its language
// file, as its language library or both: the uninstall question and the settings
// dialog speak English, and the file wins where the two differ.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "e2e/built_english.h"
#include "resources/resource_ids.h"
#include "e2e/staged_product.h"
#include "support/test_names.h"

namespace {

const wchar_t kSettingsWarning[] =
    L"All settings, including the passwords kept in the password organizer and in the compression profiles, will "
    L"be lost unless you have exported them before.\r\n\r\n";
const wchar_t kFirstHelpSentence[] = L"This option controls how Bramix integrates with Windows.";

struct Box {
  std::wstring caption;
  std::wstring text;
  DWORD exitCode = STILL_ACTIVE;
};

// Starts the uninstall run, reads its question and answers No.
Box UninstallQuestion(const StagedInstallation& install) {
  ChildProcess program(install.Exe(), L"", install.Folder());
  HWND window = program.NextDialog();
  if (!window) return {L"<no box>", L"<no box>"};
  Box box{WindowText(window), ControlText(window, 0xFFFF)};
  PressButton(window, IDNO);
  EXPECT_TRUE(program.Wait());
  box.exitCode = program.ExitCode();
  return box;
}

struct SettingsDialog {
  std::wstring caption;
  std::wstring formatsGroup;
  std::wstring helpText;
  DWORD exitCode = STILL_ACTIVE;
};

// Starts setup, reads its settings dialog and cancels it.
SettingsDialog SettingsDialogTexts(const StagedInstallation& install) {
  ChildProcess program(install.Exe(), L"-setup", install.Folder());
  HWND dialog = program.NextDialog();
  if (!dialog) return {L"<no dialog>", L"<no dialog>", L"<no dialog>"};
  SettingsDialog shown{WindowText(dialog), ControlText(dialog, IDC_ASSOCWITH),
                       AskedText(GetDlgItem(dialog, IDC_INSTHELPTEXT))};
  PressButton(dialog, IDCANCEL);
  EXPECT_TRUE(program.Wait());
  shown.exitCode = program.ExitCode();
  return shown;
}

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

// The library, and beside it a language file that gives the question and the
// settings dialog's caption texts of its own.
class EnglishFileAndLibrary : public Staged {
 protected:
  void SetUp() override {
    Stage(BuiltEnglish(L"zpklng.dll"));
    install_.WriteFile(L"uninstall.lng",
                       "***messages**\r\nIDS_CONTINUEUNINSTALL Really remove Bramix?\r\n"
                       ":DIALOG SETUPDLG\r\nCAPTION Bramix settings\r\n");
  }
};

}  // namespace

TEST_P(EnglishBesideTheProgram, AsksTheUninstallQuestionInEnglish) {
  const Box box = UninstallQuestion(install_);
  EXPECT_EQ(L"Remove Bramix", box.caption);
  EXPECT_EQ(kSettingsWarning + std::wstring(L"Do you want to remove Bramix?"), box.text);
}

TEST_P(EnglishBesideTheProgram, ShowsTheSettingsDialogInEnglish) {
  const SettingsDialog dialog = SettingsDialogTexts(install_);
  EXPECT_EQ(L"Bramix setup", dialog.caption);
  EXPECT_EQ(L"Open these archives with Bramix:", dialog.formatsGroup);
  EXPECT_NE(std::wstring::npos, dialog.helpText.find(kFirstHelpSentence)) << testing::PrintToString(dialog.helpText);
}

INSTANTIATE_TEST_SUITE_P(As, EnglishBesideTheProgram, testing::Values(L"uninstall.lng", L"zpklng.dll"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           return std::wstring(info.param) == L"uninstall.lng" ? "LanguageFile" : "LanguageLibrary";
                         });

TEST_F(EnglishFileAndLibrary, TheFilesCaptionWinsAndTheLibraryGivesTheRest) {
  const SettingsDialog dialog = SettingsDialogTexts(install_);
  EXPECT_EQ(L"Bramix settings", dialog.caption);
  EXPECT_EQ(L"Open these archives with Bramix:", dialog.formatsGroup);
}

namespace {

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

// Every text is read through a buffer of 1024 units.
TEST_F(BadLanguageFile, OverlongTextIsShownCutTo1023Characters) {
  EXPECT_EQ(std::wstring(1023, L'x') + L"\r\n\r\n" + kItalianQuestion, UninstallQuestion(install_).text);
}

TEST_F(BadLanguageFile, SettingsDialogShowsTheBuiltInTextsTheFileLacks) {
  const SettingsDialog dialog = SettingsDialogTexts(install_);
  EXPECT_EQ(L"Associa a Bramix archivi in formato:", dialog.formatsGroup);
  EXPECT_EQ(1u, dialog.exitCode);
}

// Lookups find the first of a key's records, kept in the order of the file.
TEST_F(BadLanguageFile, FirstOfTwoTextsOfAKeyWins) {
  EXPECT_EQ(L"First caption", SettingsDialogTexts(install_).caption);
}

TEST_F(HalfLanguageLibrary, UninstallQuestionShowsTheBuiltInTextsTheLibraryLacks) {
  const Box box = UninstallQuestion(install_);
  EXPECT_EQ(kItalianTitle, box.caption);
  EXPECT_EQ(kSettingsWarning + std::wstring(kItalianQuestion), box.text);
  EXPECT_EQ(0u, box.exitCode);
}

TEST_F(HalfLanguageLibrary, SettingsHelpShowsTheBuiltInSentenceTheLibraryLacks) {
  const SettingsDialog dialog = SettingsDialogTexts(install_);
  EXPECT_NE(std::wstring::npos, dialog.helpText.find(L"Questa opzione controlla l'integrazione di Bramix in Windows."))
      << testing::PrintToString(dialog.helpText);
  EXPECT_NE(std::wstring::npos, dialog.helpText.find(L"The first group of options selects the archive types"))
      << testing::PrintToString(dialog.helpText);
  EXPECT_EQ(1u, dialog.exitCode);
}
