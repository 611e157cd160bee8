// The English translation that the build makes, beside Uninstall.exe as its language
// file, as its language library or both: the uninstall question and the settings
// dialog speak English, and the file wins where the two differ.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "e2e/built_english.h"
#include "resources/resource_ids.h"
#include "support/file_bytes.h"
#include "support/test_names.h"
#include "support/wine_program.h"

namespace {

constexpr DWORD kTimeout = 60000;
const wchar_t kSettingsWarning[] =
    L"All settings, including the passwords kept in the password organizer and in the compression profiles, will "
    L"be lost unless you have exported them before.\r\n\r\n";
const wchar_t kFirstHelpSentence[] = L"This option controls how Bramix integrates with Windows.";

struct Box {
  std::wstring caption;
  std::wstring text;
};

// Starts the uninstall run, reads its question and answers No.
Box UninstallQuestion(const StagedInstallation& install) {
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), L"", install.Folder()));
  HWND window = WaitForWindow(program.Pid(), L"#32770", kTimeout);
  if (!window) return {L"<no box>", L"<no box>"};
  const Box box{WindowText(window), ControlText(window, 0xFFFF)};
  PressButton(window, IDNO);
  EXPECT_TRUE(program.Wait(kTimeout));
  return box;
}

// The text a control gives when asked (a rich edit control keeps its own).
std::wstring AskedText(HWND control) {
  std::wstring text(static_cast<size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

struct SettingsDialog {
  std::wstring caption;
  std::wstring formatsGroup;
  std::wstring helpText;
};

// Starts setup, reads its settings dialog and cancels it.
SettingsDialog SettingsDialogTexts(const StagedInstallation& install) {
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), L"-setup", install.Folder()));
  HWND dialog = WaitForWindow(program.Pid(), L"#32770", kTimeout);
  if (!dialog) return {L"<no dialog>", L"<no dialog>", L"<no dialog>"};
  SettingsDialog shown{WindowText(dialog), ControlText(dialog, IDC_ASSOCWITH),
                       AskedText(GetDlgItem(dialog, IDC_INSTHELPTEXT))};
  PressButton(dialog, IDCANCEL);
  EXPECT_TRUE(program.Wait(kTimeout));
  return shown;
}

class Staged : public testing::Test {
 protected:
  void Stage(const wchar_t* builtName) {
    const std::string bytes = ReadFileBytes(BuiltEnglish(builtName));
    ASSERT_NE("<missing>", bytes) << "not built: " << testing::PrintToString(BuiltEnglish(builtName));
    install_.WriteFile(builtName, bytes);
  }
  StagedInstallation install_{L"C:\\Program Files\\Bramix " + CurrentTestName()};
};

class EnglishBesideTheProgram : public Staged, public testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override { Stage(GetParam()); }
};

// The library, and beside it a language file that gives the question and the
// settings dialog's caption texts of its own.
class EnglishFileAndLibrary : public Staged {
 protected:
  void SetUp() override {
    Stage(L"zpklng.dll");
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

TEST_F(EnglishFileAndLibrary, TheFilesQuestionWinsAndTheLibraryGivesTheRest) {
  const Box box = UninstallQuestion(install_);
  EXPECT_EQ(L"Remove Bramix", box.caption);
  EXPECT_EQ(kSettingsWarning + std::wstring(L"Really remove Bramix?"), box.text);
}

TEST_F(EnglishFileAndLibrary, TheFilesCaptionWinsAndTheLibraryGivesTheRest) {
  const SettingsDialog dialog = SettingsDialogTexts(install_);
  EXPECT_EQ(L"Bramix settings", dialog.caption);
  EXPECT_EQ(L"Open these archives with Bramix:", dialog.formatsGroup);
}
