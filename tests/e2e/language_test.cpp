// uninstall.lng and zpklng.dll beside Uninstall.exe translate its /warning box; a right-to-left language mirrors it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

namespace {

// The box's caption|text|layout of box and text ("LL" left to right, "RR" mirrored); answers it.
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

}  // namespace

TEST(Language, FileAndLibraryTranslateAndMirrorTheWarning) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Language " + std::to_wstring(GetCurrentProcessId()));
  const std::wstring exe = install.Exe(), library = install.Path(L"zpklng.dll");
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

  // A resource-only library made from a copy of the program: strings 5106 and 5107 (block 5104-5119: each length,
  // then its units) and a dialog named RTL. File before library before program; the RTL dialog mirrors the box.
  HANDLE update = CopyFileW(exe.c_str(), library.c_str(), FALSE) ? BeginUpdateResourceW(library.c_str(), TRUE) : 0;
  ASSERT_TRUE(update);
  std::wstring strings = std::wstring(2, L'\0') + L"\x16" L"Caption of the library" L"\x12" L"Completed, library";
  strings.resize(strings.size() + 12);
  WORD dialog[12] = {LOWORD(WS_POPUP), HIWORD(WS_POPUP)};
  const bool ok = UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(5106 / 16 + 1), LANG_NEUTRAL, strings.data(),
                                  strings.size() * sizeof(wchar_t)) &&
                  UpdateResourceW(update, RT_DIALOG, L"RTL", LANG_NEUTRAL, dialog, sizeof(dialog));
  ASSERT_TRUE(EndUpdateResourceW(update, !ok) && ok);
  install.WriteFile(L"uninstall.lng", "***messages**\n:DIRECTION LTR\nIDS_UNINSTALLCOMPLETED Completed, file\n");
  EXPECT_EQ(L"Caption of the library|Completed, file\nOccorre eliminare il file " + exe + L" manualmente|RR",
            RunWarning(install));
}
