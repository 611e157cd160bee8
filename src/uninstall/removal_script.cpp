#include "uninstall/removal_script.h"

#include <windows.h>

#include "environment/paths.h"
#include "environment/temp_folder.h"
#include "environment/unique_handle.h"
#include "files/disk_file.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kScriptName[] = L"Uninstall_Zpk.Bat";
constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr int kDeleteAttempts = 5;

bool SameText(const std::wstring& a, const std::wstring& b) { return StrCompareNoCase(a.c_str(), b.c_str()) == 0; }

// The command interpreter reads a script in the console's code page, which is the
// OEM one, not the ANSI one: a character written in ANSI is read back as another
// one there. False unless every character comes back as it was; best-fit
// replacements (a full-width letter written as its ASCII look-alike) are refused.
bool ToScriptCodePage(const std::wstring& text, std::string& bytes) {
  bytes.clear();
  if (text.empty()) return true;
  const UINT codePage = GetOEMCP();
  const bool utf8 = codePage == CP_UTF8;  // takes neither flag nor default-character report
  BOOL usedDefault = FALSE;
  const int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0,
                                 nullptr, utf8 ? nullptr : &usedDefault);
  if (size <= 0 || usedDefault) return false;
  bytes.resize(size);
  WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size, nullptr,
                      utf8 ? nullptr : &usedDefault);
  std::wstring back(bytes.size(), L'\0');
  back.resize(MultiByteToWideChar(codePage, 0, bytes.data(), size, back.data(), static_cast<int>(back.size())));
  return !usedDefault && back == text;
}

// True for "X:\..." paths whose components Windows keeps as written: none is empty
// or ends with a space or a dot (file calls and the interpreter cut those, so
// "Bramix." would name its sibling "Bramix"), and the full-path form is the path
// itself (no "." or "..", no '/', no device name).
bool KeptAsWritten(const std::wstring& path) {
  if (path.size() < 3 || !IsDriveLetter(path) || path[2] != L'\\') return false;
  for (size_t start = 3, end; start < path.size(); start = end + 1) {
    end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (end == start || path[end - 1] == L' ' || path[end - 1] == L'.') return false;
  }
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::wstring full(needed, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), needed, full.data(), nullptr));
  return full == path;
}

// True when exactly one entry of `folder` answers to `name`, by its long or its
// short name.
bool IsOnlyEntryNamed(const std::wstring& folder, const std::wstring& name) {
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW((kLongPrefix + folder + L"\\*").c_str(), &data));
  if (!find) return false;
  int answering = 0;
  do {
    if (SameText(data.cFileName, name) || SameText(data.cAlternateFileName, name)) ++answering;
  } while (FindNextFileW(find.get(), &data));
  return answering == 1;
}

// Short names made by hashing collide: a name that leads to this entry now may lead
// to a sibling once this entry is deleted, and the script checks its paths again
// after deleting. So every component must be the only one of its name.
bool EachNameIsUnique(const std::wstring& path) {
  for (size_t separator = 2; separator < path.size(); ) {
    size_t next = path.find(L'\\', separator + 1);
    if (next == std::wstring::npos) next = path.size();
    if (!IsOnlyEntryNamed(path.substr(0, separator), path.substr(separator + 1, next - separator - 1)))
      return false;
    separator = next;
  }
  return true;
}

bool IsExactSpelling(const std::wstring& text) {
  std::string bytes;
  return KeptAsWritten(text) && ToScriptCodePage(text, bytes) && EachNameIsUnique(text);
}

// Asked through the "\\?\" form, so that a trailing space or dot is not cut before
// the short name is looked up. Empty when there is none.
std::wstring ShortForm(const std::wstring& path) {
  const std::wstring shortPath = GetShortPath(kLongPrefix + path);
  return shortPath.compare(0, 4, kLongPrefix) == 0 ? shortPath.substr(4) : shortPath;
}

std::wstring LongForm(const std::wstring& path) {
  const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return L"";
  std::wstring buffer(needed, L'\0');
  const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), needed);
  if (length == 0 || length >= needed) return L"";
  buffer.resize(length);
  return buffer;
}

// In a batch file "%x%" would be read as a variable; "%%" is one '%'.
std::wstring DoublePercentSigns(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    out += c;
    if (c == L'%') out += L'%';
  }
  return out;
}

// Used where no script could name our files exactly: deleting something else is
// worse than a restart. The "\\?\" form keeps the names exactly as they are; the
// folder comes after the uninstaller, as it can go only once it is empty.
void ScheduleRemovalAtRestart(const std::wstring& uninstaller, const std::wstring& folder) {
  for (const std::wstring* path : {&uninstaller, &folder}) {
    std::wstring exact;
    if (MakeLongPath(*path, exact)) MoveFileExW(exact.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

bool WriteScript(const std::wstring& path, const std::wstring& text) {
  std::string bytes;
  if (!ToScriptCodePage(text, bytes)) return false;
  DiskFile file;
  if (!file.Create(path)) return false;
  file.SuppressErrors();
  // A failed write leaves the file open: the DiskFile removes it, and no
  // interpreter is started on a script that is not there.
  if (!file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()))) return false;
  return file.Close();
}

// The interpreter is named as the program to start, so that no part of its path is
// tried as a program of its own, and it runs in the script's folder with the bare
// script name: its command line holds nothing that it could read as a command
// separator, a variable or a path to search, whatever the folder's path holds. /d
// skips the AutoRun commands and /v:off keeps '!' in the script's paths literal.
void StartInterpreter(const std::wstring& interpreter, const std::wstring& folder) {
  if (!IsFullPath(interpreter) || interpreter.find(L'"') != std::wstring::npos) return;
  std::wstring commandLine = L"\"" + interpreter + L"\" /d /v:off /c .\\" + kScriptName;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                      &startup, &info))
    return;
  UniqueKernelHandle process(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
}

}  // namespace

bool ScriptPathForm(const std::wstring& path, std::wstring& form) {
  if (IsExactSpelling(path)) {
    form = path;
    return true;
  }
  const std::wstring shortForm = ShortForm(path);
  if (shortForm.empty() || shortForm == path) return false;
  if (!SameText(LongForm(shortForm), path) || !IsExactSpelling(shortForm)) return false;
  form = shortForm;
  return true;
}

std::wstring MakeRemovalScriptText(const std::wstring& uninstallerForm, const std::wstring& folderForm,
                                   bool silent) {
  const std::wstring u = DoublePercentSigns(uninstallerForm);
  const std::wstring d = DoublePercentSigns(folderForm);
  std::wstring text = FormatString(L"\"%s\" /wait\r\n", u.c_str());
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt)
    text += FormatString(L"del \"%s\"\r\nrd \"%s\"\r\nif not exist \"%s\" goto done\r\n", u.c_str(), d.c_str(),
                         u.c_str());
  text += FormatString(L":done\r\n");
  if (!silent) text += FormatString(L"if exist \"%s\" \"%s\" /warning\r\n", u.c_str(), u.c_str());
  // The script runs in its own folder (see StartInterpreter), so its bare name is
  // the one file it is, whatever that folder's path holds.
  text += FormatString(L"del \"%s\"\r\n", kScriptName);
  return text;
}

void WriteRemovalScript(const std::wstring& uninstaller, const std::wstring& folder, bool silent) {
  std::wstring u, d;
  if (!ScriptPathForm(uninstaller, u) || !ScriptPathForm(folder, d)) {
    ScheduleRemovalAtRestart(uninstaller, folder);
    return;
  }
  // The script is written and started through the same spelling of the temporary
  // folder, so Windows resolves both to the same folder.
  const std::wstring tempFolder = GetSystemTempFolder();
  if (!WriteScript(MakeName(tempFolder, kScriptName), MakeRemovalScriptText(u, d, silent))) return;
  std::wstring comspec;
  if (!GetEnvVar(L"COMSPEC", comspec)) return;
  // Neither this process nor the interpreter may keep the installation folder as
  // its current folder, or it could not be removed.
  SetCurrentFolder(tempFolder);
  StartInterpreter(comspec, tempFolder);
}
