#pragma once
// The product's shortcuts: Bramix.lnk on the desktop and in the Start menu, and the
// program group "Bramix" (for the current user and for all users) with the
// program, its help, the console manual and the news of this version. Shortcut
// files are written through the shell link object, so COM must be initialised on
// the calling thread.
#include <string>

#include "integration/integration_options.h"

// Creates the shortcut `link` to `target`, or updates it when it exists: what is
// not set here (a hot key, a run style) stays as it was, and so do the working
// folder, description and arguments when given empty; an empty icon file clears the
// icon. False when the shell link object cannot be made or the file not written.
bool CreateShortcut(const std::wstring& target, const std::wstring& link, const std::wstring& workingFolder,
                    const std::wstring& description, const std::wstring& iconFile, const std::wstring& arguments);

// Creates or deletes the desktop and Start-menu shortcuts and rebuilds or removes
// both program groups as `options` say (Desktop, StartMenu, Programs); `iconFile`
// is the icon of the program's own shortcuts (empty: the program's). Does nothing
// when the settings file forbids integration. Failures are ignored; a group item
// whose target file is missing is left out, and nothing is deleted through a group
// folder that is a link.
void UpdateShortcuts(const IntegrationOptions& options, const std::wstring& iconFile);
