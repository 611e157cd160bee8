#pragma once
// Path operations on UTF-16 strings of any length. '\' and '/' both separate;
// joining always puts '\'.
#include <string>

bool IsPathSeparator(wchar_t c);
// True when the path starts with an ASCII letter and ':'.
bool IsDriveLetter(const std::wstring& path);
// True for "\\..." paths and for drive paths whose third character is a separator.
bool IsFullPath(const std::wstring& path);
// Index where the name part begins: after the last separator, else 2 after a
// drive prefix, else 0.
size_t PointToName(const std::wstring& path);
std::wstring GetNamePart(const std::wstring& path);
// The folder with its trailing separator.
std::wstring GetFolderPart(const std::wstring& path);
// Cuts the name and its separator; a root such as "C:\" keeps its separator.
void RemoveNameFromPath(std::wstring& path);
// The path with its name part replaced by `name`.
std::wstring SetName(const std::wstring& path, const std::wstring& name);
// Appends '\' unless the path is empty or already ends with '\'.
void AddEndSlash(std::wstring& path);
// Joins folder and name with '\' (none after a bare drive such as "C:").
std::wstring MakeName(const std::wstring& folder, const std::wstring& name);
// True when '*' or '?' occurs, not counting a leading "\\?\".
bool IsWildcard(const std::wstring& path);
// The last character, or 0 for an empty path.
wchar_t GetLastChar(const std::wstring& path);

// The full path of the running program.
std::wstring GetModulePath();
// The program's folder joined with `name`.
std::wstring GetModuleFolderFile(const std::wstring& name);
// False (out unchanged) when the current folder cannot be read.
bool GetCurrentFolder(std::wstring& out);
bool SetCurrentFolder(const std::wstring& path);
// `out` = %APPDATA%\Bramix; true only when that folder exists.
bool GetRoamingDataFolder(std::wstring& out);
// The product's per-user data folder: the registry's Paths\AppData when it exists,
// else %APPDATA%\Bramix when it exists, else the program's folder.
void GetProductDataFolder(std::wstring& out);

// The short (8.3) form of `path` as GetShortPathNameW gives it; empty when there
// is none or it cannot be read.
std::wstring GetShortPath(const std::wstring& path);

// The "\\?\" form of a path, for retrying a file-system call that failed.
// False when no such form can be made (empty path, "\\", no current folder).
bool MakeLongPath(const std::wstring& source, std::wstring& out);
