#pragma once
// The installation list Uninstall.lst: one path per line, relative to the
// installation folder.
#include <string>
#include <vector>

// The entries of an installation list held in memory, in order. A list that
// starts with a UTF-16 LE or UTF-8 byte-order mark is read in that encoding, any
// other in the ANSI code page. LF, CR LF and a lone CR end lines; trailing spaces,
// tabs, CR and LF are removed; empty lines, lines that do not convert and lines
// holding a NUL are dropped.
std::vector<std::wstring> ReadListEntries(const std::string& bytes);

// True when the entry, appended to a folder, would name something outside that
// folder: somewhere along it a ".." component climbs above the folder.
bool EntryLeavesFolder(const std::wstring& entry);
