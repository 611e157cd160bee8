#pragma once
#include <string>

// Reads the language file (a name in the program's folder, possibly redirected to
// the language folder) into the language table and switches the process to a
// right-to-left layout when the language asks for it. A missing or broken file
// leaves the built-in texts in force.
void LoadLanguage(const wchar_t* fileName);
