#pragma once
// The uninstall run: asks, removes the registrations, deletes every listed file
// and folder, schedules locked files for the next start and leaves the rest to the
// self-removal script.
#include <string>
#include <vector>

#include "uninstall/uninstall_list.h"

// Runs the whole uninstallation for the program's own folder; every failure but a
// missing Uninstall.lst passes without a message.
void RunUninstall();

struct RemovalOutcome {
  bool RebootPending = false;  // a file was scheduled for deletion at the next start
  int Passes = 0;              // passes over the list, the last one removing nothing
};

// Deletes the entries under `base` (the installation folder with its trailing
// backslash) in passes until one removes nothing. A file that cannot be deleted is
// moved to a free side name "<name>.N.tmp" and scheduled for deletion at restart,
// unless its name is `uninstallerName` or Uninstall.lst. Entries that leave the
// folder, or that pass through a junction or symbolic link below it, are never
// touched; an entry that is itself a link removes the link only.
RemovalOutcome RemoveListedEntries(const std::vector<std::wstring>& entries, const std::wstring& base,
                                   const std::wstring& uninstallerName);
