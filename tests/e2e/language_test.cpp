// uninstall.lng and zpklng.dll beside Uninstall.exe translate its /warning box; a right-to-left language mirrors it.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "support/file_bytes.h"
#include "support/wine_program.h"

namespace {

// What the /warning box showed.
struct ShownBox {
  bool shown = false;
  std::wstring caption;
  std::wstring text;
  bool boxMirrored = false;
  bool textMirrored = false;
};

bool Mirrored(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0; }

// Runs Uninstall.exe /warning, reads its box and answers it.
ShownBox RunWarning(const StagedInstallation& install) {
  ShownBox shown;
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), L"/warning"));
  HWND box = WaitForWindow(program.Pid(), L"#32770", 60000);
  if (!box) return shown;
  shown.shown = true;
  shown.caption = WindowText(box);
  shown.text = ControlText(box, 0xFFFF);
  shown.boxMirrored = Mirrored(box);
  shown.textMirrored = Mirrored(GetDlgItem(box, 0xFFFF));
  PressButton(box, IDOK);
  EXPECT_TRUE(program.Wait(60000));
  EXPECT_EQ(0u, program.ExitCode());
  return shown;
}

std::wstring StageFolder(const wchar_t* suite) {
  return L"C:\\Program Files\\Bramix Language " + std::wstring(suite) + L" " + std::to_wstring(GetCurrentProcessId());
}

// Each suite stages an installation, runs the program once and keeps what its box showed.
class LanguageRun : public testing::Test {
 protected:
  static void TearDownTestSuite() { install_.reset(); }
  void SetUp() override { ASSERT_TRUE(shown_.shown) << "no box"; }
  static inline std::unique_ptr<StagedInstallation> install_;
  static inline ShownBox shown_;
};

class Utf16RightToLeftLanguageFile : public LanguageRun {
 protected:
  static void SetUpTestSuite() {
    install_ = std::make_unique<StagedInstallation>(StageFolder(L"UTF-16"));
    install_->WriteFile(L"uninstall.lng",
                        Utf16Bytes(L"\xFEFF***messages**\r\n:DIRECTION RTL\r\nIDS_UNINSTALLZPK \x05D4\x05E1\x05E8 Bramix\r\n"
                                   L"IDS_UNINSTALLCOMPLETED \x05D4\x05D5\x05E9\x05DC\x05DE\x05D4\r\n"
                                   L"IDS_UNINSTALLSHOULDDELETE \x05DE\x05D7\x05E7 %s\r\n"));
    shown_ = RunWarning(*install_);
  }
};

// A language library with strings 5106 and 5107 and a dialog named RTL; beside it a
// left-to-right language file that translates 5107 only.
class LanguageLibrary : public LanguageRun {
 protected:
  static void SetUpTestSuite() {
    install_ = std::make_unique<StagedInstallation>(StageFolder(L"library"));
    MakeLibrary(*install_);
    install_->WriteFile(L"uninstall.lng", "***messages**\n:DIRECTION LTR\nIDS_UNINSTALLCOMPLETED Completed, file\n");
    shown_ = RunWarning(*install_);
  }
  static void MakeLibrary(const StagedInstallation& install) {
    ASSERT_TRUE(WriteLanguageLibrary(install, {{5106, L"Caption of the library"}, {5107, L"Completed, library"}}));
    HANDLE update = BeginUpdateResourceW(install.Path(L"zpklng.dll").c_str(), FALSE);
    ASSERT_NE(nullptr, update);
    WORD dialog[12] = {LOWORD(WS_POPUP), HIWORD(WS_POPUP)};
    const bool added = UpdateResourceW(update, RT_DIALOG, L"RTL", LANG_NEUTRAL, dialog, sizeof(dialog));
    ASSERT_TRUE(EndUpdateResourceW(update, !added));
    ASSERT_TRUE(added);
  }
};

}  // namespace

TEST_F(Utf16RightToLeftLanguageFile, TranslatesTheText) {
  EXPECT_EQ(L"\x05D4\x05D5\x05E9\x05DC\x05DE\x05D4\n\x05DE\x05D7\x05E7 " + install_->Exe(), shown_.text);
}

TEST_F(Utf16RightToLeftLanguageFile, MirrorsTheBox) {
  EXPECT_TRUE(shown_.boxMirrored);
  EXPECT_TRUE(shown_.textMirrored);
}

TEST_F(LanguageLibrary, TranslatesWhatTheFileDoesNot) { EXPECT_EQ(L"Caption of the library", shown_.caption); }

TEST_F(LanguageLibrary, TheFileWinsOverTheLibrary) { EXPECT_EQ(L"Completed, file", shown_.text.substr(0, 15)); }

TEST_F(LanguageLibrary, TextsInNeitherComeFromTheProgram) {
  EXPECT_EQ(L"\nOccorre eliminare il file " + install_->Exe() + L" manualmente", shown_.text.substr(15));
}

TEST_F(LanguageLibrary, AnRtlDialogInTheLibraryMirrorsTheBox) {
  EXPECT_TRUE(shown_.boxMirrored);
  EXPECT_TRUE(shown_.textMirrored);
}
