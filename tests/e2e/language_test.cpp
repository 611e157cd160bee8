// Translations of the real Uninstall.exe: uninstall.lng and zpklng.dll beside it change
// the texts of the /warning box, and a right-to-left language mirrors it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

namespace {

// Runs "Uninstall.exe /warning" and answers the box it shows; returns its caption, its
// text and the layout of box and text: "LL" left to right, "RR" both mirrored.
std::wstring RunWarning(const StagedInstallation& install) {
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), L"/warning"));
  HWND box = WaitForWindow(program.Pid(), L"#32770", 60000);
  if (!box) return L"<no box>";
  auto layout = [](HWND window) { return GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL ? L"R" : L"L"; };
  std::wstring shown = WindowText(box) + L"|" + ControlText(box, 0xFFFF) + L"|" + layout(box) +
                       layout(GetDlgItem(box, 0xFFFF));
  PressButton(box, IDOK);
  EXPECT_TRUE(program.Wait(60000) && program.ExitCode() == 0);
  return shown;
}

// A resource-only language library made from a copy of the program: its own resources
// dropped, strings 5106 and 5107 of its own, and the dialog named RTL of a right-to-left language.
bool MakeRightToLeftLanguageLibrary(const StagedInstallation& install) {
  std::wstring path = install.Path(L"zpklng.dll");
  HANDLE update = CopyFileW(install.Exe().c_str(), path.c_str(), FALSE) ? BeginUpdateResourceW(path.c_str(), TRUE) : 0;
  if (!update) return false;
  // The block of ids 5104 to 5119: each string's length, then its units.
  std::wstring strings = std::wstring(2, L'\0') + L"\x16" L"Caption of the library" L"\x12" L"Completed, library";
  strings.resize(strings.size() + 12);
  WORD dialog[12] = {LOWORD(WS_POPUP), HIWORD(WS_POPUP)};
  bool ok = UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(5106 / 16 + 1), LANG_NEUTRAL, strings.data(),
                            strings.size() * sizeof(wchar_t)) &&
            UpdateResourceW(update, RT_DIALOG, L"RTL", LANG_NEUTRAL, dialog, sizeof(dialog));
  return EndUpdateResourceW(update, !ok) && ok;
}

}  // namespace

TEST(Language, FileAndLibraryTranslateAndMirrorTheWarning) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Language " + std::to_wstring(GetCurrentProcessId()));
  const std::wstring exe = install.Exe();
  install.WriteFile(L"uninstall.lng", "Translation\r\n***messages** English\r\nIDS_UNINSTALLZPK Remove Bramix\r\n"
                                      "IDS_UNINSTALLCOMPLETED \"Removal complete \"\r\n"
                                      "IDS_UNINSTALLSHOULDDELETE,\tPlease delete the file %s yourself\r\n");
  EXPECT_EQ(L"Remove Bramix|Removal complete \nPlease delete the file " + exe + L" yourself|LL", RunWarning(install));

  const std::wstring utf16 = L"\xFEFF***messages**\r\n:DIRECTION RTL\r\nIDS_UNINSTALLZPK \x05D4\x05E1\x05E8 Bramix\r\n"
                             L"IDS_UNINSTALLCOMPLETED \x05D4\x05D5\x05E9\x05DC\x05DE\x05D4\r\n"
                             L"IDS_UNINSTALLSHOULDDELETE \x05DE\x05D7\x05E7 %s\r\n";
  install.WriteFile(L"uninstall.lng", std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2));
  EXPECT_EQ(L"\x05D4\x05E1\x05E8 Bramix|\x05D4\x05D5\x05E9\x05DC\x05DE\x05D4\n\x05DE\x05D7\x05E7 " + exe + L"|RR",
            RunWarning(install));

  // File before library before program; the library's RTL dialog mirrors whatever the file says.
  ASSERT_TRUE(MakeRightToLeftLanguageLibrary(install));
  install.WriteFile(L"uninstall.lng", "***messages**\n:DIRECTION LTR\nIDS_UNINSTALLCOMPLETED Completed, file\n");
  EXPECT_EQ(L"Caption of the library|Completed, file\nOccorre eliminare il file " + exe + L" manualmente|RR",
            RunWarning(install));
}
