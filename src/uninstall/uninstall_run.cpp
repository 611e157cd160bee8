#include "uninstall/uninstall_run.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

#include "environment/messages.h"
#include "environment/paths.h"
#include "environment/run_state.h"
#include "files/file_system.h"
#include "localization/strings.h"
#include "settings/configured_temp_folder.h"
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
  const std::wstring text = FormatString(GetLocalizedFormat(IDS_CANNOTOPENLIST).c_str(), kListName);
  const std::wstring caption = GetLocalizedString(IDS_UNINSTALLZPK);
  ShowMessage(nullptr, text.c_str(), caption.c_str(), kErrorFlags);
}

std::string ReadWholeStream(FILE* stream) {
  std::string bytes;
  char chunk[65536];
  size_t count;
  while ((count = fread(chunk, 1, sizeof(chunk), stream)) > 0) bytes.append(chunk, count);
  return bytes;
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
