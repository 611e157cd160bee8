// The box of the -warning switch, as Windows is asked to show it.
#include <gtest/gtest.h>
#include <windows.h>

#include "startup/command_line.h"
#include "support/message_box_recorder.h"

TEST(WarningSwitch, BoxHasTheInformationIconAndComesToTheForeground) {
  const MessageBoxRecorder recorder;
  ASSERT_TRUE(recorder.Patched());
  bool setupRequested = false;
  bool uninstallRequested = false;
  ParseCommandLine(kCommandLinePass, L"Uninstall.exe -warning", setupRequested, uninstallRequested);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND), recorder.LastFlags());
}
