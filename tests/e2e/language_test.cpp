// Translations of the real Uninstall.exe: an uninstall.lng beside it (ANSI or
// UTF-16) and a resource-only zpklng.dll change the texts of the /warning box,
// and a right-to-left language mirrors it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/wine_program.h"

namespace {

constexpr DWORD kRunTimeout = 60000;

std::wstring StagedFolder(const wchar_t* stem) {
  return std::wstring(L"C:\\Program Files\\") + stem + L" " + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount());
}

std::string Utf16WithByteOrderMark(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

struct WarningBox {
  std::wstring Caption;
  std::wstring Text;
  bool Mirrored = false;
  bool TextMirrored = false;
};

// Runs "Uninstall.exe /warning", reads the box it shows and answers it.
WarningBox RunWarning(const StagedInstallation& install) {
  WarningBox result;
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), L"/warning"));
  HWND box = WaitForWindow(program.Pid(), L"#32770", kRunTimeout);
  EXPECT_NE(nullptr, box);
  if (!box) return result;
  result.Caption = WindowText(box);
  result.Text = ControlText(box, 0xFFFF);
  result.Mirrored = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
  result.TextMirrored = (GetWindowLongW(GetDlgItem(box, 0xFFFF), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
  PressButton(box, IDOK);
  EXPECT_TRUE(program.Wait(kRunTimeout));
  EXPECT_EQ(0u, program.ExitCode());
  return result;
}

// One block of a string table: ids (block - 1) * 16 to block * 16 - 1.
std::vector<WORD> StringBlock(const std::vector<std::pair<UINT, std::wstring>>& strings) {
  std::vector<std::wstring> entries(16);
  for (const auto& [id, text] : strings) entries[id & 15] = text;
  std::vector<WORD> block;
  for (const std::wstring& entry : entries) {
    block.push_back(static_cast<WORD>(entry.size()));
    block.insert(block.end(), entry.begin(), entry.end());
  }
  return block;
}

// Makes a resource-only language library from a copy of the program: its own
// resources are dropped, strings 5106 and 5107 are added, and, on request, the
// dialog named RTL that marks a right-to-left language.
bool MakeLanguageLibrary(const StagedInstallation& install, bool rightToLeft) {
  std::wstring path = install.Path(L"zpklng.dll");
  if (!CopyFileW(install.Exe().c_str(), path.c_str(), FALSE)) return false;
  HANDLE update = BeginUpdateResourceW(path.c_str(), TRUE);
  if (!update) return false;
  std::vector<WORD> strings = StringBlock({{5106, L"Caption of the library"}, {5107, L"Completed, library"}});
  bool ok = UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(5106 / 16 + 1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                            strings.data(), static_cast<DWORD>(strings.size() * sizeof(WORD)));
  if (rightToLeft) {
    // A dialog template with no controls: only its name matters.
    WORD dialog[12] = {};
    dialog[0] = LOWORD(WS_POPUP);
    dialog[1] = HIWORD(WS_POPUP);
    ok = ok && UpdateResourceW(update, RT_DIALOG, L"RTL", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), dialog,
                               sizeof(dialog));
  }
  return EndUpdateResourceW(update, !ok) && ok;
}

}  // namespace

TEST(Language, AnsiFileTranslatesTheWarning) {
  StagedInstallation install(StagedFolder(L"Bramix Language Ansi"));
  install.WriteFile(L"uninstall.lng",
                    "Translation of the uninstaller\r\n"
                    "***messages** English\r\n"
                    "; the box shown when the program must be deleted by hand\r\n"
                    "IDS_UNINSTALLZPK Remove Bramix\r\n"
                    "IDS_UNINSTALLCOMPLETED \"Removal complete \"\r\n"
                    "IDS_UNINSTALLSHOULDDELETE,\tPlease delete the file %s yourself\r\n");
  WarningBox box = RunWarning(install);
  EXPECT_EQ(L"Remove Bramix", box.Caption);
  EXPECT_EQ(L"Removal complete \nPlease delete the file " + install.Exe() + L" yourself", box.Text);
  EXPECT_FALSE(box.Mirrored);
}

TEST(Language, Utf16FileWithRightToLeftDirectionMirrorsTheWarning) {
  StagedInstallation install(StagedFolder(L"Bramix Language Utf16"));
  install.WriteFile(L"uninstall.lng", Utf16WithByteOrderMark(
                                          L"***messages**\r\n"
                                          L":DIRECTION RTL\r\n"
                                          L"IDS_UNINSTALLZPK \x05D4\x05E1\x05E8 Bramix\r\n"
                                          L"IDS_UNINSTALLCOMPLETED \x05D4\x05D4\x05E1\x05E8\x05D4 \x05D4\x05D5\x05E9\x05DC\x05DE\x05D4\r\n"
                                          L"IDS_UNINSTALLSHOULDDELETE \x05DE\x05D7\x05E7 %s\r\n"));
  WarningBox box = RunWarning(install);
  EXPECT_EQ(L"\x05D4\x05E1\x05E8 Bramix", box.Caption);
  EXPECT_EQ(L"\x05D4\x05D4\x05E1\x05E8\x05D4 \x05D4\x05D5\x05E9\x05DC\x05DE\x05D4\n\x05DE\x05D7\x05E7 " + install.Exe(),
            box.Text);
  // Wine shows MB_RTLREADING | MB_RIGHT in no style of the box; what shows is the
  // right-to-left process layout that the language file asked for.
  EXPECT_TRUE(box.Mirrored);
  EXPECT_TRUE(box.TextMirrored);
}

TEST(Language, LanguageFileWinsOverTheLibraryWhichWinsOverTheProgram) {
  StagedInstallation install(StagedFolder(L"Bramix Language Library"));
  ASSERT_TRUE(MakeLanguageLibrary(install, false));
  install.WriteFile(L"uninstall.lng", "***messages**\nIDS_UNINSTALLCOMPLETED Completed, file\n");
  WarningBox box = RunWarning(install);
  EXPECT_EQ(L"Caption of the library", box.Caption);
  EXPECT_EQ(L"Completed, file\nOccorre eliminare il file " + install.Exe() + L" manualmente", box.Text);
  EXPECT_FALSE(box.Mirrored);

  DeleteFileW(install.Path(L"uninstall.lng").c_str());
  box = RunWarning(install);
  EXPECT_EQ(L"Completed, library\nOccorre eliminare il file " + install.Exe() + L" manualmente", box.Text);
}

TEST(Language, LibraryWithTheRtlDialogMirrorsTheWarning) {
  StagedInstallation install(StagedFolder(L"Bramix Language Rtl Library"));
  ASSERT_TRUE(MakeLanguageLibrary(install, true));
  install.WriteFile(L"uninstall.lng", "***messages**\n:DIRECTION LTR\n");
  WarningBox box = RunWarning(install);
  EXPECT_EQ(L"Caption of the library", box.Caption);
  EXPECT_TRUE(box.Mirrored);
}
