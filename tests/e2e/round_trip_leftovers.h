#pragma once
// What an uninstall knowingly leaves of an all-on setup: keys that the shell
// extension's registration makes on the way to its own entries stay, empty, when it
// takes its entries away. Only the keys are excused; a value left in one still counts.
#include <set>
#include <string>

inline const std::set<std::wstring> kEmptyKeysLeft = {
    L"Software\\Classes\\Drive",
    L"Software\\Classes\\Drive\\shellex",
    L"Software\\Classes\\Drive\\shellex\\DragDropHandlers",
    L"Software\\Classes\\exefile\\shellex",
    L"Software\\Classes\\exefile\\shellex\\PropertySheetHandlers",
    L"Software\\Classes\\folder\\shellex\\DragDropHandlers",
    L"Software\\RegisteredApplications",
};
