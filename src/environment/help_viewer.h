#pragma once
// The product's help file, bramix.chm beside the program, shown by the system's
// HTML help control.
//
// The help file may be translated and kept in the user's language folder; that
// redirection belongs to the localization layer, above this one, so the language
// loader hands it down here at start-up (SetHelpPathResolver), the way it hands the
// reading direction down to the message boxes.
#include <string>

// Turns the help file's path beside the program into the path to open (`in` and
// `out` may be the same string).
using HelpPathResolver = void (*)(const std::wstring& in, std::wstring& out);

// Sets the resolver the help file's path passes through when the help is first
// opened; without one (or with null) the path beside the program is used.
void SetHelpPathResolver(HelpPathResolver resolver);

// Opens the help at `topic` (such as L"HELPIntegrationSettings", optionally with
// an anchor "#..."), or at its table of contents when `topic` is empty. Nothing is
// reported when the help control or the file is missing; when the control shows
// nothing and the path holds characters the ANSI code page cannot spell, the call
// is made once more, once per process, with the path's short form.
void ShowHelp(const std::wstring& topic);
