#pragma once
// Every user-visible text by its string id: from the language file, else from the
// language library, else from the program's own resources.
#include <windows.h>

#include <string>

#include "resources/resource_ids.h"

constexpr size_t kLocalizedBufferSize = 1024;

// The module every resource (dialogs, strings, icon) is loaded from: the language
// library while it is loaded, otherwise the program.
HMODULE ResourceModule();
// The program's own module.
HMODULE ProgramModule();

// Records the program's module and loads zpklng.dll from the program's folder as a
// data file; on failure the program's own resources are used. Nothing is reported.
void LoadLanguageDll(HMODULE program);
// Frees the language library, if loaded, so that its file can be deleted; the
// entry routine calls it as one of the run's last steps.
void FreeLanguageDll();
// True while the language library is loaded.
bool IsLanguageDllLoaded();

// `out` = `in`, or the same name in the user's language folder when that
// redirection is built in and the redirected file exists.
void ResolveLanguagePath(const std::wstring& in, std::wstring& out);
// True when this build redirects language files into the user's language folder
// (the marker "LngFolder0" of the constant data reads "LngFolder1").
bool LanguageFolderRedirectionBuiltIn();
// The redirection itself, whatever the build: `out` = the name part of `in` in the
// folder of HKCU\Software\Bramix\General\LanguageFolder (environment variables
// expanded) when that file exists, else `in`.
void RedirectToLanguageFolder(const std::wstring& in, std::wstring& out);

// Copies the language file's text for `key` (truncated to capacity - 1 units);
// false, buffer untouched, when there is none.
bool FindLanguageText(const char* key, wchar_t* buffer, size_t capacity);
// Fills a buffer of kLocalizedBufferSize units with the text of `id` (empty when
// the id exists nowhere) and returns it.
wchar_t* LoadLocalizedString(UINT id, wchar_t* buffer);
// The text of `id` in the next of eight rotating buffers: the eighth call after
// this one overwrites it.
const wchar_t* GetLocalizedString(UINT id);
// The text of `id` for use as a format: the translated text when its conversions
// are those of the program's own text for `id` (SameFormatConversions), otherwise
// the program's own text. Every translated text handed to a formatter comes
// through here.
std::wstring GetLocalizedFormat(UINT id);
// True when the language asks for a right-to-left layout.
bool IsRightToLeft();
