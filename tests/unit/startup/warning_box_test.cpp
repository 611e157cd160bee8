// The box of the -warning switch, as Windows is asked to show it.
#include <gtest/gtest.h>
#include <windows.h>

#include "startup/command_line.h"
#include "support/import_patch.h"

namespace {

UINT shownFlags = 0;
int WINAPI RecordMessageBox(HWND, LPCWSTR, LPCWSTR, UINT flags) {
  shownFlags = flags;
  return IDOK;
}

}  // namespace

TEST(WarningSwitch, BoxHasTheInformationIconAndComesToTheForeground) {
  ScopedImportPatch recorder("MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox));
  ASSERT_TRUE(recorder.Patched());
  bool setupRequested = false;
  bool uninstallRequested = false;
  ParseCommandLine(kCommandLinePass, L"Uninstall.exe -warning", setupRequested, uninstallRequested);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND), shownFlags);
}
