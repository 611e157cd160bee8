#pragma once
// The product's help file, bramix.chm beside the program, shown by the system's
// HTML help control.
#include <string>

// Opens the help at `topic` (such as L"HELPIntegrationSettings", optionally with
// an anchor "#..."), or at its table of contents when `topic` is empty. Nothing is
// reported when the help control or the file is missing.
void ShowHelp(const std::wstring& topic);
