#pragma once
// The Windows version that the Wine prefix reports to programs started while these
// objects live; the prefix's own values come back when they go.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "support/scoped_registry_value.h"

inline constexpr wchar_t kPrefixVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// The version major.minor with this build, as the prefix's version key says it.
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
  const ScopedRegistryValue version_{HKEY_LOCAL_MACHINE, kPrefixVersionKey, L"CurrentVersion"};
  const ScopedRegistryValue major_{HKEY_LOCAL_MACHINE, kPrefixVersionKey, L"CurrentMajorVersionNumber"};
  const ScopedRegistryValue minor_{HKEY_LOCAL_MACHINE, kPrefixVersionKey, L"CurrentMinorVersionNumber"};
  const ScopedRegistryValue build_{HKEY_LOCAL_MACHINE, kPrefixVersionKey, L"CurrentBuild"};
  const ScopedRegistryValue buildNumber_{HKEY_LOCAL_MACHINE, kPrefixVersionKey, L"CurrentBuildNumber"};
};

// Keeps the WMI provider out of the programs of these names, so that they cannot ask
// WMI which Windows runs. Wine takes a DLL override from the environment only for a
// process started from outside Wine, hence the programs' own entries in the prefix.
class ScopedWithoutWmi {
 public:
  explicit ScopedWithoutWmi(std::vector<std::wstring> programs) : programs_(std::move(programs)) {
    for (const std::wstring& program : programs_)
      RegSetKeyValueW(HKEY_CURRENT_USER, (Key(program) + L"\\DllOverrides").c_str(), L"wbemprox", REG_SZ, L"",
                      sizeof(wchar_t));
  }
  ~ScopedWithoutWmi() {
    for (const std::wstring& program : programs_)
      RegDeleteTreeW(HKEY_CURRENT_USER, Key(program).c_str());
  }
  ScopedWithoutWmi(const ScopedWithoutWmi&) = delete;
  ScopedWithoutWmi& operator=(const ScopedWithoutWmi&) = delete;

 private:
  static std::wstring Key(const std::wstring& program) { return L"Software\\Wine\\AppDefaults\\" + program; }
  std::vector<std::wstring> programs_;
};
