#pragma once
// Explorer's "New" menu entries of the product's own format (".zpk") and of ZIP:
// the template files zpknew.dat and zipnew.dat beside the program, the ShellNew
// subkey of the extension under HKEY_CLASSES_ROOT that points at them, and the
// previous ShellNew entry given back from the extension's previous-association
// record. Nothing here reports a failure.
#include <string>

// The previous-association record of one extension under the product key:
// "Setup\.zip" for ".zip".
[[nodiscard]] std::wstring PreviousAssociationKey(const wchar_t* extension);

// Whether the extension's "New" menu entry is wanted: only with the shell
// extension on, and not for the own format or ZIP row when the user switched its
// entry off (Setup\MenuItems NewZPK or NewZIP = 0; a missing value counts as on).
[[nodiscard]] bool DecideNewMenu(bool shellExt, bool isOwn, bool isZip);

// Replaces the extension's ShellNew subkey (a subkey that has subkeys of its own
// keeps its other values) by a FileName pointing at zpknew.dat (own format) or
// zipnew.dat (ZIP) beside the program, writing that file first when it is missing
// or of the wrong size. FileName is written even when the file cannot be.
void InstallNewMenuTemplate(const wchar_t* extension, bool isOwn);

// Gives the extension's ShellNew entry back as its record remembers it: the former
// FileName, an empty NullFile for a former NullFile, or no FileName for none. When
// the extension key did not exist before (`exist` off) the ShellNew subkey is
// deleted instead, unless it has subkeys.
void RestoreNewMenuEntry(const wchar_t* extension, bool exist);
