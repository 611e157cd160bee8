#pragma once
// The system's temporary folder.
#include <string>

// The folder GetTempPathW names, ending with '\'; "\zpktemp\" (in the root of the
// current drive) when that call fails, does not fit 261 characters or gives
// nothing. The folder is neither made nor tested.
std::wstring GetSystemTempFolder();
