#pragma once
// Which Windows the program runs on. Both answers are worked out on first use and
// kept for the rest of the process.
#include <windows.h>

// Windows Vista, the first version with the all-users Start menu of today.
constexpr DWORD kWinVersionVista = 0x600;

// (major << 8) + minor on the NT platform (0x601 is Windows 7, 0xA00 Windows 10 and
// 11), 0x501 on any other platform; the version is read once, whether or not the
// call succeeds.
DWORD GetWinVersion();
// True on Windows 11 or later: a major version above 10, or 10 with build 22000 or
// later that WMI does not name a Windows 10 (so also when WMI cannot be asked).
bool IsWindows11();
// True when WMI names the running system a Windows 10; false when any step of the
// query fails. Needs COM initialised on the calling thread.
bool IsWindows10ByWmi();
