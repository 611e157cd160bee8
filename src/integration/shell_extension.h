#pragma once
// The product's Explorer shell extension: the COM classes of zpkext32.dll (32-bit)
// and zpkext.dll (64-bit) with their handler keys and approval, the file-type
// capabilities for the Default Programs settings, and the Windows 11 context-menu
// package. Nothing here loads the extension libraries.
#include "integration/integration_options.h"

// Registers both classes as `options` say and, from Windows Vista on, declares the
// capabilities of every archive format; with `remove`, takes both classes away as
// `options` say and deletes the capabilities together with the whole product key
// under HKEY_LOCAL_MACHINE. Then tells the shell that associations changed.
// Failures are ignored.
void RegisterShellIntegration(bool remove, const IntegrationOptions& options);

// With ShellExt on, writes the registry entries of one class: its CLSID keys (in
// the 32-bit view when `is32`) only when `dll` is in the program's folder, its
// property-sheet, drop and drag-and-drop handlers and its approval always, its
// classic context-menu handlers unless Windows 11 runs without LegacyMenu (then
// they are deleted). With ShellExt off, deletes them all, in both views; on
// Windows 11 the 64-bit class also has the context-menu package removed.
// Failures are ignored.
void RegisterShellExtensionClass(const IntegrationOptions& options, const wchar_t* dll, const wchar_t* clsid,
                                 const wchar_t* name, bool is32);

// Starts ZpkExtInstaller.exe from the program's folder with "-install" (or
// "-install -extall") without waiting, or with "-Uninstall" and waits for it at
// most 20 seconds, then records the action in Setup\NewContextMenu, whether or not
// the start succeeded. Does nothing when the settings file forbids integration or
// when the installer or ZpkExtPackage.msix is missing.
void RunContextMenuPackage(bool install, bool extAll);
