#pragma once
#include <string>

class LanguageTable;

// Reads the language file (a name in the program's folder, possibly redirected to
// the language folder) into the language table and switches the process to a
// right-to-left layout, message boxes included, when the language asks for it;
// hands the language-folder redirection down to the help viewer.
// A missing or broken file leaves the built-in texts in force.
void LoadLanguage(const wchar_t* fileName);

// Reads one language file into the process-wide language table; a bare name (no
// '\') is taken from the program's folder. A file that cannot be opened, has no
// marker within its first 256 blocks or cannot be buffered adds nothing.
void ReadLanguageFile(const std::wstring& path);

// Parses language text that starts at the marker and ends at its first NUL into
// `table` (records, right-to-left flag) and sorts the table's index. The first
// line, the marker's own, is never parsed.
void ParseLanguageText(const wchar_t* text, LanguageTable& table);
