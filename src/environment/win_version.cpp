#include "environment/win_version.h"

#include <wbemcli.h>

#include <cwchar>

#include "environment/com_owners.h"
#include "environment/win_version_writer.h"

namespace {

constexpr DWORD kVersionNotRead = 0xFFFFFFFF;
constexpr DWORD kNonNtVersion = 0x501;
constexpr DWORD kFirstWindows11Build = 22000;

struct VersionCache {
  DWORD PlatformId = kVersionNotRead;
  DWORD Major = 0;
  DWORD Minor = 0;
};

constinit VersionCache versionCache;
constinit Windows11Cache windows11Cache;

// The version as the system reports it; a failed call leaves the zeroed record.
OSVERSIONINFOW ReadVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  GetVersionExW(&info);
  return info;
}

bool ComputeIsWindows11() {
  const OSVERSIONINFOW info = ReadVersion();
  if (info.dwMajorVersion > 10) return true;
  // Windows 11 reports itself as 10.0; only its build number and the name WMI gives
  // tell the two apart.
  if (info.dwMajorVersion == 10 && info.dwBuildNumber >= kFirstWindows11Build) return !IsWindows10ByWmi();
  return false;
}

bool NameSaysWindows10(const VARIANT& name) {
  return name.vt == VT_BSTR && name.bstrVal != nullptr && wcsstr(name.bstrVal, L"Windows 10") != nullptr;
}

// The name of the first operating system the query returns says Windows 10.
bool FirstSystemIsWindows10(IEnumWbemClassObject* systems) {
  ComPtr<IWbemClassObject> system;
  ULONG returned = 0;
  if (FAILED(systems->Next(static_cast<LONG>(WBEM_INFINITE), 1, system.GetAddressOf(), &returned)) || returned == 0 ||
      !system)
    return false;
  UniqueVariant name;
  if (FAILED(system->Get(L"Name", 0, name.put(), nullptr, nullptr))) return false;
  return NameSaysWindows10(name.get());
}

}  // namespace

DWORD GetWinVersion() {
  if (versionCache.PlatformId == kVersionNotRead) {
    const OSVERSIONINFOW info = ReadVersion();
    versionCache = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
  }
  if (versionCache.PlatformId != VER_PLATFORM_WIN32_NT) return kNonNtVersion;
  return (versionCache.Major << 8) + versionCache.Minor;
}

bool IsWindows11() {
  if (!windows11Cache.Computed) windows11Cache = {ComputeIsWindows11(), true};
  return windows11Cache.Answer;
}

bool IsWindows10ByWmi() {
  ComPtr<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(locator.GetAddressOf()))))
    return false;
  const UniqueBstr nameSpace(SysAllocString(L"ROOT\\CIMV2"));
  ComPtr<IWbemServices> services;
  if (!nameSpace || FAILED(locator->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                                  services.GetAddressOf())))
    return false;
  if (FAILED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE)))
    return false;
  const UniqueBstr language(SysAllocString(L"WQL"));
  const UniqueBstr query(SysAllocString(L"SELECT * FROM Win32_OperatingSystem"));
  ComPtr<IEnumWbemClassObject> systems;
  if (!language || !query ||
      FAILED(services->ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                 nullptr, systems.GetAddressOf())) ||
      !systems)
    return false;
  return FirstSystemIsWindows10(systems.Get());
}

Windows11Cache& WritableWindows11Cache() { return windows11Cache; }
