// Windows 11 as the program sees it when WMI cannot be asked: by the build number alone.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/prefix_version.h"
#include "support/wine_program.h"

namespace {

// The exit code of the probe program asked whether this is a Windows 11.
DWORD AskProbe() {
  ChildProcess probe;
  if (!probe.Start(TestBinFolder() + L"\\win_version_probe.exe", L"windows11")) return 0xDEAD;
  if (!probe.Wait(60000)) return 0xDEAD;
  return probe.ExitCode();
}

}  // namespace

TEST(WinVersion, Windows11StartsAtBuild22000) {
  const struct {
    const wchar_t* build;
    DWORD expected;  // the probe's exit code: 1 for Windows 11
  } rows[] = {
      {L"19045", 0},
      {L"21999", 0},
      {L"22000", 1},
  };
  const ScopedWithoutWmi withoutWmi({L"win_version_probe.exe"});
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.build));
    const ScopedPrefixVersion version(10, 0, row.build);
    EXPECT_EQ(row.expected, AskProbe());
  }
}
