#include "uninstall/uninstall_run.h"

#include <windows.h>

#include <string>
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

void AddEntry(const std::string& line, std::vector<std::wstring>& entries) {
  // A NUL byte would cut the entry short and make it name something else.
  if (line.find('\0') != std::string::npos) return;
  std::wstring entry = AnsiToWideString(line);
  TrimTrailingSpace(entry);
  if (!entry.empty()) entries.push_back(std::move(entry));
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
  ClearPathAttributesIfProtected(path, attributes);
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

void RemoveBrowserData() {
  std::wstring temp;
  GetConfiguredTempFolder(temp);
  const std::wstring folder = MakeName(temp, kBrowserDataFolder);
  if (PathExists(folder)) RemoveFolderTree(folder);
}

}  // namespace

std::vector<std::wstring> ReadListEntries(FILE* list) {
  std::string bytes;
  char chunk[65536];
  size_t count;
  while ((count = fread(chunk, 1, sizeof(chunk), list)) > 0) bytes.append(chunk, count);

  std::vector<std::wstring> entries;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    AddEntry(bytes.substr(start, end - start), entries);
    start = end + 1;
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
  std::vector<std::wstring> pending;
  pending.reserve(entries.size());
  for (const std::wstring& entry : entries)
    if (!EntryLeavesFolder(entry)) pending.push_back(base + entry);

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
  if (!list) {
    ShowListError();
    return;
  }
  // Fetched now: the language library is released before they are shown.
  const std::wstring rebootNotice = GetLocalizedString(IDS_REBOOTREQUIRED);
  const std::wstring caption = GetLocalizedString(IDS_UNINSTALLZPK);

  RemoveRegistrations();
  FreeLanguageDll();
  if (RunState.Msi) return;

  const RemovalOutcome outcome = RemoveListedEntries(ReadListEntries(list.get()), base, GetNamePart(uninstaller));
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
