#include "environment/win_version.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// The Windows version the prefix reports to programs started from now on, as its
// version key says it; the key's values come back when the object goes.
class ScopedPrefixVersion {
 public:
  ScopedPrefixVersion(DWORD major, DWORD minor, const wchar_t* build) {
    version_.SetText(std::to_wstring(major) + L"." + std::to_wstring(minor));
    major_.SetNumber(major);
    minor_.SetNumber(minor);
    build_.SetText(build);
    buildNumber_.SetText(build);
  }

 private:
  const ScopedRegistryValue version_{HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentVersion"};
  const ScopedRegistryValue major_{HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentMajorVersionNumber"};
  const ScopedRegistryValue minor_{HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentMinorVersionNumber"};
  const ScopedRegistryValue build_{HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentBuild"};
  const ScopedRegistryValue buildNumber_{HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentBuildNumber"};
};

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

constexpr wchar_t kProbeDefaultsKey[] = L"Software\\Wine\\AppDefaults\\win_version_probe.exe";

// Keeps the WMI provider from loading into probes started while the object lives,
// so that creating the WMI locator fails there. Wine reads a DLL override from the
// environment only for a process started from outside Wine, so the probe's own
// entry in the prefix's registry carries it; the entry goes with the object.
class ScopedProbeWithoutWmi {
 public:
  ScopedProbeWithoutWmi() {
    const std::wstring overrides = std::wstring(kProbeDefaultsKey) + L"\\DllOverrides";
    RegSetKeyValueW(HKEY_CURRENT_USER, overrides.c_str(), L"wbemprox", REG_SZ, L"", sizeof(wchar_t));
  }
  ~ScopedProbeWithoutWmi() { RegDeleteTreeW(HKEY_CURRENT_USER, kProbeDefaultsKey); }
  ScopedProbeWithoutWmi(const ScopedProbeWithoutWmi&) = delete;
  ScopedProbeWithoutWmi& operator=(const ScopedProbeWithoutWmi&) = delete;
};

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
    std::optional<ScopedProbeWithoutWmi> withoutWmi;
    if (!row.wmiReachable) withoutWmi.emplace();
    EXPECT_EQ(row.expected, AskProbe(L"windows11"));
  }
}
