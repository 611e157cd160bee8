#pragma once
// The product's own temporary folder, as the user configured it.
#include <string>

// `out` = the TempFolder setting of the product's Paths key with environment
// variables expanded, ending with '\', when it names an existing file or folder;
// otherwise the system temporary folder.
void GetConfiguredTempFolder(std::wstring& out);
