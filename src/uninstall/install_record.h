#pragma once
// What setup leaves behind so that the product can be found and removed later:
// the entry in the Windows list of installed programs, and the settings file
// brought over from the folder of the installation package.
#include <windows.h>

#include <string>

// The version as users read it: "7.00 beta 1 64-bit" with the built-in texts; the
// words come from the current language.
std::wstring VersionText();

// Writes the Add/Remove Programs entry of the running program under
// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bramix archiver; does
// nothing for an MSI installation, which owns its entry. A DisplayIcon that names
// an existing file or folder is kept. Failed writes leave their value absent;
// nothing is reported.
void WriteUninstallEntry();
// The same for the uninstaller at `programPath`, a full path.
void WriteUninstallEntry(const std::wstring& programPath);

// The size of every file under `folder`, in KiB rounded up, at most 0xFFFFFFFF.
// Folder links are not entered; what cannot be listed counts as empty.
DWORD FolderSizeKiB(const std::wstring& folder);

// Copies the file `name` from the folder of the installation package (named by
// the environment variable sfxname) into the current folder. Copies nothing when
// the product data folder already holds such a file, when sfxname is unset, empty,
// not a full path or longer than any path can be, when the package folder has no
// such file, or when the destination already exists.
void CopyFromPackageFolder(const std::wstring& name);
// Copies the settings file bramix.ini that way, after a confirmed setup.
void CopyPackageFiles();
