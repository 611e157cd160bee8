#pragma once
// Turns the sfxcmd text (pass 1) and the process command line (pass 0) into the
// run state. `wait` and `warning` act while the parse runs.
#include <string>

enum ParsePass { kCommandLinePass = 0, kSfxcmdPass = 1 };

// Takes the next argument from `text` at `position`: spaces and tabs separate,
// double quotes group and are dropped, two quotes in a row give one. False when
// only spaces and tabs remain.
bool GetNextArgument(const wchar_t* text, size_t& position, std::wstring& argument);

// Parses one pass into RunState; pass 0 sets `uninstallRequested` when it counted
// no switch, every other pass clears it.
void ParseCommandLine(int pass, const wchar_t* text, bool& setupRequested, bool& uninstallRequested);

// Shows the box that asks the user to delete the program by hand.
void ShowManualDeletionWarning();
