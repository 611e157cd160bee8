#pragma once
// The hidden batch script that, once the uninstaller has ended, deletes it and
// the installation folder and then itself.
#include <string>

// The script's file: the system temporary folder followed by Uninstall_Zpk.Bat.
std::wstring RemovalScriptPath();

// A path as a batch file must spell it: the short form when the path holds a
// character outside 7-bit ASCII and the file system has one (the command
// interpreter reads a script in the OEM code page, not the ANSI one), then every
// '%' doubled. A path without a short form keeps its characters.
std::wstring ScriptPathText(const std::wstring& path);

// The script for the uninstaller `uninstaller`, the installation folder `folder`
// (without a trailing backslash) and the script's own path `script`: 19 lines,
// each ended by CR LF, or 18 when `silent` leaves out the warning line. Every path
// stands in double quotes, spelt by ScriptPathText.
std::wstring MakeRemovalScriptText(const std::wstring& uninstaller, const std::wstring& folder,
                                   const std::wstring& script, bool silent);

// Writes the script in the ANSI code page and starts it hidden through the command
// interpreter named by COMSPEC, after making the parent of `folder` the current
// folder. When the script cannot be written, or COMSPEC is unset, nothing runs and
// nothing is reported.
void WriteRemovalScript(const std::wstring& uninstaller, const std::wstring& folder, bool silent);
