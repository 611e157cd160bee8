#pragma once
// The uninstall run: asks, removes the registrations, deletes every listed file
// and folder, schedules locked files for the next start and leaves the rest to the
// self-removal script.
#include <cstdio>
#include <string>
#include <vector>

// Runs the whole uninstallation for the program's own folder; every failure but a
// missing Uninstall.lst passes without a message.
void RunUninstall();

// The entries of an open installation list, in order: each line converted from
// the ANSI code page, with trailing spaces, tabs, CR and LF removed; lines left
// empty are dropped. Lines may end with LF or CR LF, the last one with nothing.
std::vector<std::wstring> ReadListEntries(FILE* list);

// True when the entry, appended to a folder, would name something outside that
// folder: somewhere along it a ".." component climbs above the folder.
bool EntryLeavesFolder(const std::wstring& entry);

struct RemovalOutcome {
  bool RebootPending = false;  // a file was scheduled for deletion at the next start
  int Passes = 0;              // passes over the list, the last one removing nothing
};

// Deletes the entries under `base` (the installation folder with its trailing
// backslash) in passes until one removes nothing. A file that cannot be deleted is
// moved to a free side name "<name>.N.tmp" and scheduled for deletion at restart,
// unless its name is `uninstallerName` or Uninstall.lst. Entries that leave the
// folder are never touched.
RemovalOutcome RemoveListedEntries(const std::vector<std::wstring>& entries, const std::wstring& base,
                                   const std::wstring& uninstallerName);
