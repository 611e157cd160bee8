// The boxes of the real Uninstall.exe outside its modes: the manual-deletion box of
// /warning in its own and in translated words, translated formats that are refused,
// and the switches and sfxcmd requests that show nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "e2e/staged_product.h"

namespace {

const wchar_t kListError[] = L"Impossibile aprire la lista dei file Uninstall.lst";

// The first box of a run, answered OK; the run must end with exit code 0.
ShownDialog FirstBox(const StagedInstallation& install, const std::wstring& args) {
  const ShownDialog box = FirstDialog(install, args, IDOK);
  EXPECT_EQ(0u, box.ExitCode);
  return box;
}

class Messages : public testing::Test {
 protected:
  std::wstring WarningText() const {
    return L"Rimozione completa\nOccorre eliminare il file " + install_.Exe() + L" manualmente";
  }
  // Replaces the language file, or with null removes it.
  void WriteLanguageFile(const std::string* bytes) const {
    DeleteFileW(install_.Path(L"uninstall.lng").c_str());
    if (bytes) install_.WriteFile(L"uninstall.lng", *bytes);
  }

  ProductStage install_{L"C:\\Program Files\\Bramix Messages " + std::to_wstring(GetCurrentProcessId()),
                        {L"Bramix.exe"}};
};

}  // namespace

TEST_F(Messages, WarningAsksTheUserToDeleteTheProgramByHand) {
  const ShownDialog box = FirstBox(install_, L"/warning");
  EXPECT_EQ(L"Rimuovi Bramix", box.Caption);
  EXPECT_EQ(WarningText(), box.Text);
}

TEST_F(Messages, WarningComesAfterTheWaitOfTwoSeconds) {
  const DWORD start = GetTickCount();
  FirstBox(install_, L"/wait /warning");
  EXPECT_GE(GetTickCount() - start, 1900u);  // the timer's slack off the two seconds
}

TEST_F(Messages, WarningIsMirroredOnlyInARightToLeftLanguage) {
  const struct {
    const char* name;
    std::string file;
    bool mirrored;
  } rows[] = {
      {"no language file", "", false},
      {"UTF-16 file with DIRECTION RTL", Utf16FileBytes(L"***messages**\r\n:DIRECTION RTL\r\n"), true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteLanguageFile(row.file.empty() ? nullptr : &row.file);
    const ShownDialog box = FirstBox(install_, L"/warning");
    EXPECT_EQ(row.mirrored, box.Mirrored);
    EXPECT_EQ(row.mirrored, box.TextMirrored);
  }
}

// The library translates the caption and the first line, the file the first line
// again, and the second line comes from the program.
TEST_F(Messages, LanguageFileWinsOverTheLibraryAndTheLibraryOverTheProgram) {
  ASSERT_TRUE(WriteLanguageLibrary(install_, {{5106, L"Caption of the library"}, {5107, L"Completed, library"}}));
  const std::string file = "***messages**\nIDS_UNINSTALLCOMPLETED Completed, file\n";
  WriteLanguageFile(&file);
  const ShownDialog box = FirstBox(install_, L"/warning");
  EXPECT_EQ(L"Caption of the library", box.Caption);
  EXPECT_EQ(L"Completed, file\nOccorre eliminare il file " + install_.Exe() + L" manualmente", box.Text);
}

TEST_F(Messages, RtlDialogInTheLibraryMirrorsTheWarning) {
  ASSERT_TRUE(WriteLanguageLibrary(install_, {{5106, L"Caption of the library"}}));
  HANDLE update = BeginUpdateResourceW(install_.Path(L"zpklng.dll").c_str(), FALSE);
  ASSERT_NE(nullptr, update);
  WORD dialog[12] = {LOWORD(WS_POPUP), HIWORD(WS_POPUP)};
  const bool added = UpdateResourceW(update, RT_DIALOG, L"RTL", LANG_NEUTRAL, dialog, sizeof(dialog));
  ASSERT_TRUE(EndUpdateResourceW(update, !added));
  ASSERT_TRUE(added);
  const ShownDialog box = FirstBox(install_, L"/warning");
  EXPECT_TRUE(box.Mirrored);
  EXPECT_TRUE(box.TextMirrored);
}

// A translation whose conversions differ from the built-in text's is never handed to
// the formatter: the built-in text is shown instead. Both formatted messages, from
// the file and from the library.
TEST_F(Messages, HostileTranslatedFormatsGiveWayToTheBuiltInText) {
  for (const bool library : {false, true}) {
    for (const wchar_t* format : {L"%s%s%s%s", L"%n", L"%99999999s"}) {
      SCOPED_TRACE(std::wstring(library ? L"zpklng.dll: " : L"uninstall.lng: ") + format);
      DeleteFileW(install_.Path(L"zpklng.dll").c_str());
      const std::string ansi(format, format + wcslen(format));
      const std::string file = "***messages**\r\nIDS_UNINSTALLSHOULDDELETE " + ansi + "\r\nIDS_CANNOTOPENLIST " + ansi;
      WriteLanguageFile(library ? nullptr : &file);
      if (library) {
        ASSERT_TRUE(WriteLanguageLibrary(install_, {{5108, format}, {5120, format}}));
      }
      install_.WriteFile(L"Uninstall.lst", "");
      EXPECT_EQ(WarningText(), FirstBox(install_, L"/warning").Text);
      EXPECT_EQ(kListError, FirstBox(install_, L"/s").Text);
    }
  }
}

TEST_F(Messages, TranslatedListErrorWithTheBuiltInConversionsIsShown) {
  const std::string file = "***messages**\r\nIDS_CANNOTOPENLIST Cannot open the list %-3s.\r\n";
  WriteLanguageFile(&file);
  install_.WriteFile(L"Uninstall.lst", "");
  EXPECT_EQ(L"Cannot open the list Uninstall.lst.", FirstBox(install_, L"/s").Text);
}

TEST_F(Messages, SwitchesThatAskForNoModeEndWithoutAWindow) {
  std::wstring many = L"/noexplorer \"/init" + std::wstring(20000, L'1') + L"\"";
  for (int i = 0; i < 1500; ++i) many += i % 3 ? L" -s" : L" \"an argument\" \"";
  const struct {
    const char* name;
    std::wstring args;
  } rows[] = {{"an unknown switch", L"/unknownswitch"}, {"thousands of arguments and a long -init", many}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(0u, RunWithoutWindow(install_.Exe(), row.args));
  }
}

TEST_F(Messages, SfxcmdAskingForSetupStillAsksBeforeUninstalling) {
  const ScopedEnvVar sfxcmd(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -setup -msi");
  ChildProcess asking(install_.Exe(), L"");
  HWND question = asking.NextDialog();
  ASSERT_NE(nullptr, question) << "no question";
  EXPECT_NE(std::wstring::npos, ControlText(question, kBoxText).find(L"Avvio la rimozione di Bramix?"));
  PressButton(question, IDNO);
  EXPECT_TRUE(asking.Wait(kSetupTimeout));
}

TEST_F(Messages, SfxcmdAskingForSilenceMakesTheRunSilent) {
  const ScopedEnvVar sfxcmd(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -s -setup -msi");
  EXPECT_EQ(0u, RunWithoutWindow(install_.Exe(), L""));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kSetupTimeout));
  EXPECT_FALSE(install_.Exists(L"Bramix.exe"));
}
