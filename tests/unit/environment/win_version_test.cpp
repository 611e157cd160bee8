#include "environment/win_version.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "support/prefix_version.h"
#include "support/wine_program.h"

namespace {

// The exit code of the probe program asked `question` in a new process.
DWORD AskProbe(const wchar_t* question) {
  ChildProcess probe;
  if (!probe.Start(TestBinFolder() + L"\\win_version_probe.exe", question)) return 0xDEAD;
  if (!probe.Wait(60000)) {
    probe.Kill();
    return 0xDEAD;
  }
  return probe.ExitCode();
}

}  // namespace

TEST(WinVersion, NumberIsMajorInTheHighByteAndMinorInTheLow) {
  struct Row {
    const char* name;
    DWORD major;
    DWORD minor;
    const wchar_t* build;
    DWORD expected;
  };
  const Row rows[] = {
      {"Windows 7", 6, 1, L"7601", 0x601},
      {"Windows 10", 10, 0, L"19045", 0xA00},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ScopedPrefixVersion version(row.major, row.minor, row.build);
    EXPECT_EQ(row.expected, AskProbe(L"version"));
  }
}

TEST(WinVersion, Windows11FollowsTheBuildAndWhatWmiSays) {
  struct Row {
    const char* name;
    const wchar_t* build;
    bool wmiReachable;
    DWORD expected;  // the probe's exit code: 1 for Windows 11
  };
  const Row rows[] = {
      {"build 19045, WMI unreachable", L"19045", false, 0},
      {"build 22000, WMI unreachable", L"22000", false, 1},
      {"build 22631, WMI naming a Windows 10", L"22631", true, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ScopedPrefixVersion version(10, 0, row.build);
    std::optional<ScopedWithoutWmi> withoutWmi;
    if (!row.wmiReachable) withoutWmi.emplace(std::vector<std::wstring>{L"win_version_probe.exe"});
    EXPECT_EQ(row.expected, AskProbe(L"windows11"));
  }
}
