#include "environment/win_version.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "environment/unique_handle.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// One value of the prefix's version key as it was: its type and bytes, or nothing.
struct SavedValue {
  std::wstring name;
  std::optional<std::pair<DWORD, std::vector<BYTE>>> data;
};

// The Windows version the prefix reports to programs started from now on: the
// version key of the real HKEY_LOCAL_MACHINE says major.minor and the build. Every
// value changed is put back (or deleted, when it was absent) when the object goes.
class ScopedPrefixVersion {
 public:
  ScopedPrefixVersion(DWORD major, DWORD minor, const std::wstring& build) {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                    key_.put(), nullptr);
    const std::wstring version = std::to_wstring(major) + L"." + std::to_wstring(minor);
    SetString(L"CurrentVersion", version);
    SetNumber(L"CurrentMajorVersionNumber", major);
    SetNumber(L"CurrentMinorVersionNumber", minor);
    SetString(L"CurrentBuild", build);
    SetString(L"CurrentBuildNumber", build);
  }
  ~ScopedPrefixVersion() {
    for (const SavedValue& value : saved_) {
      if (value.data)
        RegSetValueExW(key_.get(), value.name.c_str(), 0, value.data->first, value.data->second.data(),
                       static_cast<DWORD>(value.data->second.size()));
      else
        RegDeleteValueW(key_.get(), value.name.c_str());
    }
  }
  ScopedPrefixVersion(const ScopedPrefixVersion&) = delete;
  ScopedPrefixVersion& operator=(const ScopedPrefixVersion&) = delete;

 private:
  void Save(const wchar_t* name) {
    SavedValue value{name, std::nullopt};
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key_.get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::vector<BYTE> bytes(size);
      if (RegQueryValueExW(key_.get(), name, nullptr, &type, bytes.data(), &size) == ERROR_SUCCESS)
        value.data = std::pair{type, bytes};
    }
    saved_.push_back(std::move(value));
  }
  void SetString(const wchar_t* name, const std::wstring& text) {
    Save(name);
    RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(const wchar_t* name, DWORD number) {
    Save(name);
    RegSetValueExW(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  }

  UniqueHkey key_;
  std::vector<SavedValue> saved_;
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
      {"Windows 8.1", 6, 3, L"9600", 0x603},
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
      {"build 22631, WMI unreachable", L"22631", false, 1},
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
