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

// A resource-only library made from a copy of the program: strings 5106 and 5107
// (block 5104-5119: each length, then its units) and a dialog named RTL; beside it a
// left-to-right language file that translates 5107 only.
class LanguageLibrary : public LanguageRun {
 protected:
  static void SetUpTestSuite() {
    install_ = std::make_unique<StagedInstallation>(StageFolder(L"library"));
    MakeLibrary(install_->Exe(), install_->Path(L"zpklng.dll"));
    install_->WriteFile(L"uninstall.lng", "***messages**\n:DIRECTION LTR\nIDS_UNINSTALLCOMPLETED Completed, file\n");
    shown_ = RunWarning(*install_);
  }
  static void MakeLibrary(const std::wstring& exe, const std::wstring& library) {
    HANDLE update = CopyFileW(exe.c_str(), library.c_str(), FALSE) ? BeginUpdateResourceW(library.c_str(), TRUE) : 0;
    ASSERT_TRUE(update);
    std::wstring strings = std::wstring(2, L'\0') + L"\x16" L"Caption of the library" L"\x12" L"Completed, library";
    strings.resize(strings.size() + 12);
    WORD dialog[12] = {LOWORD(WS_POPUP), HIWORD(WS_POPUP)};
    const bool stringsAdded = UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(5106 / 16 + 1), LANG_NEUTRAL,
                                              strings.data(), strings.size() * sizeof(wchar_t));
    const bool dialogAdded = UpdateResourceW(update, RT_DIALOG, L"RTL", LANG_NEUTRAL, dialog, sizeof(dialog));
    const bool ok = stringsAdded && dialogAdded;
    ASSERT_TRUE(EndUpdateResourceW(update, !ok));
    ASSERT_TRUE(ok);
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
