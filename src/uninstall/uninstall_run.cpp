#include "uninstall/uninstall_run.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

#include "environment/messages.h"
#include "environment/paths.h"
#include "environment/temp_folder.h"
#include "files/file_system.h"
#include "localization/strings.h"
#include "startup/run_state.h"
#include "text/text_utils.h"
#include "uninstall/registration_cleanup.h"
#include "uninstall/removal_script.h"

namespace {

constexpr wchar_t kListName[] = L"Uninstall.lst";
constexpr wchar_t kBrowserDataFolder[] = L"Bramix.exe.WebView2";
constexpr wchar_t kProductFolderName[] = L"Bramix";
constexpr UINT kQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND;
constexpr UINT kErrorFlags = MB_OK | MB_ICONHAND | MB_SETFOREGROUND;
constexpr UINT kNoticeFlags = MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND;
constexpr int kMaxSideNames = 1000;

bool SameName(const std::wstring& a, const wchar_t* b) { return StrCompareNoCase(a.c_str(), b) == 0; }

bool ConfirmUninstall() {
  std::wstring question = GetLocalizedString(IDS_SETTINGSWARN);
  question += L"\r\n\r\n";
  question += GetLocalizedString(IDS_CONTINUEUNINSTALL);
  const std::wstring caption = GetLocalizedString(IDS_UNINSTALLZPK);
  return ShowMessage(nullptr, question.c_str(), caption.c_str(), kQuestionFlags) == IDYES;
}

void ShowListError() {
  const std::wstring text = FormatString(GetLocalizedString(IDS_CANNOTOPENLIST), kListName);
  const std::wstring caption = GetLocalizedString(IDS_UNINSTALLZPK);
  ShowMessage(nullptr, text.c_str(), caption.c_str(), kErrorFlags);
}

// A NUL would cut the entry short and make it name something else: such a line
// is dropped whole.
template <typename Char>
bool HoldsNul(const std::basic_string<Char>& line) {
  return line.find(Char(0)) != std::basic_string<Char>::npos;
}

void AddEntry(std::wstring entry, std::vector<std::wstring>& entries) {
  TrimTrailingSpace(entry);
  if (!entry.empty()) entries.push_back(std::move(entry));
}

// The lines of a text; LF, CR LF and a lone CR all end a line.
template <typename Char>
std::vector<std::basic_string<Char>> SplitLines(const std::basic_string<Char>& text) {
  const Char ends[] = {Char('\r'), Char('\n'), Char(0)};
  std::vector<std::basic_string<Char>> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(ends, start);
    if (end == std::basic_string<Char>::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return wide;
}

// UTF-16 LE units from bytes; an odd last byte is ignored.
std::wstring Utf16Units(const std::string& bytes, size_t start) {
  std::wstring text;
  text.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
  return text;
}

bool StartsWith(const std::string& bytes, const char* mark) { return bytes.rfind(mark, 0) == 0; }

std::string ReadWholeStream(FILE* stream) {
  std::string bytes;
  char chunk[65536];
  size_t count;
  while ((count = fread(chunk, 1, sizeof(chunk), stream)) > 0) bytes.append(chunk, count);
  return bytes;
}

// A component made of dots and spaces only, with two dots or more, is treated as
// a step up: Windows trims trailing dots and spaces from some components, and an
// entry skipped by mistake does less harm than a folder left by mistake.
bool IsStepUp(const std::wstring& component) {
  if (component.find_first_not_of(L". ") != std::wstring::npos) return false;
  size_t dots = 0;
  for (wchar_t c : component) dots += c == L'.';
  return dots >= 2;
}

bool IsStepDown(const std::wstring& component) {
  return !component.empty() && component.find_first_not_of(L". ") != std::wstring::npos;
}

enum class EntryResult { kRemoved, kFinished, kTryAgain };

// Moves a file that cannot be deleted out of the way, to the first free side name
// "<path>.N.tmp", and schedules it (or, when it cannot be moved, the file under
// its own name) for deletion at the next Windows start.
void ScheduleAtRestart(const std::wstring& path) {
  std::wstring scheduled = path;
  for (int n = 0; n < kMaxSideNames; ++n) {
    std::wstring candidate = path + L"." + std::to_wstring(n) + L".tmp";
    if (PathExists(candidate)) continue;
    if (MoveFileW(path.c_str(), candidate.c_str())) scheduled = candidate;
    break;
  }
  MoveFileExW(scheduled.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

EntryResult RemoveEntry(const std::wstring& path, const std::wstring& uninstallerName, bool& rebootPending) {
  const DWORD attributes = GetPathAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return EntryResult::kFinished;
  }
  // A link named by the list goes as a link, never with what it points to.
  if (attributes != INVALID_FILE_ATTRIBUTES && IsLinkAttr(attributes))
    return RemoveLink(path) ? EntryResult::kRemoved : EntryResult::kFinished;
  ClearPathAttributes(path);
  if (IsFolderAttr(attributes))
    return RemoveFolder(path) ? EntryResult::kRemoved : EntryResult::kTryAgain;
  if (RemoveFile(path)) return EntryResult::kRemoved;
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryResult::kFinished;
  // The uninstaller is left to the removal script, the list to the end of the run.
  const std::wstring name = GetNamePart(path);
  if (SameName(name, uninstallerName.c_str()) || SameName(name, kListName)) return EntryResult::kFinished;
  rebootPending = true;
  ScheduleAtRestart(path);
  return EntryResult::kFinished;
}

// The path as Windows resolves it ("." and ".." taken out, '/' made '\\');
// empty when it cannot be resolved.
std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::wstring();
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return std::wstring();
  full.resize(length);
  return full;
}

// Tells whether a path below the installation folder reaches its last component
// through a junction or symbolic link. Each folder is looked at once per run.
class LinkFinder {
 public:
  explicit LinkFinder(size_t baseLength) : baseLength_(baseLength) {}

  bool PassesThroughLink(const std::wstring& path) {
    for (size_t end = path.find(L'\\', baseLength_); end != std::wstring::npos; end = path.find(L'\\', end + 1)) {
      const auto [seen, added] = isLink_.try_emplace(path.substr(0, end), false);
      if (added) {
        const DWORD attributes = GetPathAttributes(seen->first);
        seen->second = attributes != INVALID_FILE_ATTRIBUTES && IsLinkAttr(attributes);
      }
      if (seen->second) return true;
    }
    return false;
  }

 private:
  size_t baseLength_;
  std::unordered_map<std::wstring, bool> isLink_;
};

// The entries to work on, as resolved full paths. An entry that leaves the folder
// is dropped, and so is one that reaches its target through a junction or a
// symbolic link below the folder: the run is elevated, and a link planted in the
// installation would otherwise make it delete whatever the link points to.
std::vector<std::wstring> ResolveEntries(const std::vector<std::wstring>& entries, const std::wstring& base) {
  std::wstring fullBase = FullPath(base);
  if (fullBase.empty()) fullBase = base;
  AddEndSlash(fullBase);
  LinkFinder links(fullBase.size());
  std::vector<std::wstring> paths;
  paths.reserve(entries.size());
  for (const std::wstring& entry : entries) {
    if (EntryLeavesFolder(entry)) continue;
    std::wstring path = FullPath(base + entry);
    const bool below = path.size() > fullBase.size() && path.compare(0, fullBase.size(), fullBase) == 0;
    if (below && !links.PassesThroughLink(path)) paths.push_back(std::move(path));
  }
  return paths;
}

void RemoveBrowserData() {
  std::wstring temp;
  GetConfiguredTempFolder(temp);
  const std::wstring folder = MakeName(temp, kBrowserDataFolder);
  if (PathExists(folder)) RemoveFolderTree(folder);
}

}  // namespace

std::vector<std::wstring> ReadListEntries(const std::string& bytes) {
  // Installers write the list with a byte-order mark in UTF-16 or UTF-8 as well
  // as in the ANSI code page; reading such a list as ANSI would find nothing to
  // delete, or lose its first entry.
  std::vector<std::wstring> entries;
  if (StartsWith(bytes, "\xFF\xFE")) {
    for (const std::wstring& line : SplitLines(Utf16Units(bytes, 2)))
      if (!HoldsNul(line)) AddEntry(line, entries);
  } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    for (const std::string& line : SplitLines(bytes.substr(3)))
      if (!HoldsNul(line)) AddEntry(Utf8ToWide(line), entries);
  } else {
    for (const std::string& line : SplitLines(bytes))
      if (!HoldsNul(line)) AddEntry(AnsiToWideString(line), entries);
  }
  return entries;
}

bool EntryLeavesFolder(const std::wstring& entry) {
  int depth = 0;
  size_t start = 0;
  while (start <= entry.size()) {
    size_t end = entry.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = entry.size();
    const std::wstring component = entry.substr(start, end - start);
    if (IsStepUp(component) && --depth < 0) return true;
    if (IsStepDown(component)) ++depth;
    start = end + 1;
  }
  return false;
}

RemovalOutcome RemoveListedEntries(const std::vector<std::wstring>& entries, const std::wstring& base,
                                   const std::wstring& uninstallerName) {
  // Only folders still waiting for their contents are tried again: a file that was
  // deleted, missing or scheduled would find nothing to do in a later pass.
  std::vector<std::wstring> pending = ResolveEntries(entries, base);

  RemovalOutcome outcome;
  for (;;) {
    ++outcome.Passes;
    unsigned removed = 0;
    std::vector<std::wstring> again;
    for (std::wstring& path : pending) {
      switch (RemoveEntry(path, uninstallerName, outcome.RebootPending)) {
        case EntryResult::kRemoved: ++removed; break;
        case EntryResult::kFinished: break;
        case EntryResult::kTryAgain: again.push_back(std::move(path)); break;
      }
    }
    if (removed == 0) break;
    pending = std::move(again);
  }
  return outcome;
}

void RunUninstall() {
  const std::wstring uninstaller = GetModulePath();
  std::wstring folder = uninstaller;
  RemoveNameFromPath(folder);
  if (folder.empty()) return;
  SetCurrentFolder(folder);
  std::wstring base = folder;
  AddEndSlash(base);

  if (!RunState.Silent && !ConfirmUninstall()) return;

  // Opened by its full path, so that a current folder that could not be set never
  // makes the run read another folder's list.
  const std::wstring listPath = base + kListName;
  UniqueStream list = OpenStream(listPath, L"rb");
  std::vector<std::wstring> entries;
  if (list) entries = ReadListEntries(ReadWholeStream(list.get()));
  // A list with nothing to delete is refused like a missing one: going on would
  // remove the registrations and the uninstaller and leave every product file.
  if (std::none_of(entries.begin(), entries.end(), [](const std::wstring& e) { return !EntryLeavesFolder(e); })) {
    ShowListError();
    return;
  }
  // Fetched now: the language library is released before they are shown.
  const std::wstring rebootNotice = GetLocalizedString(IDS_REBOOTREQUIRED);
  const std::wstring caption = GetLocalizedString(IDS_UNINSTALLZPK);

  RemoveRegistrations();
  FreeLanguageDll();
  if (RunState.Msi) return;

  const RemovalOutcome outcome = RemoveListedEntries(entries, base, GetNamePart(uninstaller));
  list.reset();
  DeleteFileW(listPath.c_str());
  RemoveBrowserData();

  if (outcome.RebootPending && !RunState.Silent) {
    ShowMessage(nullptr, rebootNotice.c_str(), caption.c_str(), kNoticeFlags);
    if (SameName(GetNamePart(folder), kProductFolderName))
      MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  WriteRemovalScript(uninstaller, folder, RunState.Silent);
}
