#pragma once
// The hidden batch script that, once the uninstaller has ended, deletes it and
// the installation folder and then itself.
#include <string>

// The spelling of the full path `path` that the command interpreter reads back as
// exactly that file or folder: the path itself, else its short form. A spelling is
// used only when it comes back unchanged from the OEM code page (no best-fit
// look-alikes), none of its components ends with a space or a dot, Windows leaves
// it as it stands, and in every folder along it no other entry answers to its
// component by a long or a short name. False (form unchanged) when neither does.
bool ScriptPathForm(const std::wstring& path, std::wstring& form);

// The script for the uninstaller and the installation folder, both given in their
// script forms: 19 lines, each ended by CR LF, or 18 when `silent` leaves out the
// warning line. Every path stands in double quotes with its '%' signs doubled; the
// script deletes itself by its bare name from the folder it runs in.
std::wstring MakeRemovalScriptText(const std::wstring& uninstallerForm, const std::wstring& folderForm,
                                   bool silent);

// Writes the script into the system temporary folder and starts it hidden through
// the command interpreter named by COMSPEC, in that folder. When the uninstaller
// or the installation folder has no script form, no script is written: the
// uninstaller and then the folder are scheduled for deletion at the next Windows
// start instead. When the script cannot be written, or COMSPEC is unset or not a
// full path, nothing runs and nothing is reported.
void WriteRemovalScript(const std::wstring& uninstaller, const std::wstring& folder, bool silent);
