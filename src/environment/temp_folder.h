#pragma once
// Where temporary files go: the system's temporary folder and the product's
// configured one.
#include <string>

// The folder GetTempPathW names, ending with '\'; "\zpktemp\" (in the root of the
// current drive) when that call fails, does not fit 261 characters or gives
// nothing. The folder is neither made nor tested.
std::wstring GetSystemTempFolder();

// `out` = the TempFolder setting of the product's Paths key with environment
// variables expanded, ending with '\', when it names an existing file or folder;
// otherwise the system temporary folder.
void GetConfiguredTempFolder(std::wstring& out);
