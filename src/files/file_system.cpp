#include "files/file_system.h"

#include <vector>

#include "environment/paths.h"

namespace {

// Makes the call with the name as given and, when it fails, once more with the
// long-path form (when one can be made).
template <typename Call>
bool CallWithLongPathRetry(const std::wstring& name, Call call) {
  if (call(name.c_str())) return true;
  std::wstring longPath;
  return MakeLongPath(name, longPath) && call(longPath.c_str());
}

// A name whose last character Windows would drop; only the long form keeps it.
bool EndsWithDotOrSpace(const std::wstring& name) {
  wchar_t last = GetLastChar(name);
  return last == L'.' || last == L' ';
}

UniqueFindHandle FindFirstWithRetry(const std::wstring& mask, WIN32_FIND_DATAW& data) {
  UniqueFindHandle find(FindFirstFileW(mask.c_str(), &data));
  std::wstring longMask;
  if (!find && MakeLongPath(mask, longMask)) find.reset(FindFirstFileW(longMask.c_str(), &data));
  return find;
}

// Whether a failed first search is a real error rather than "nothing there".
bool IsFirstSearchError(DWORD error) {
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_NO_MORE_FILES;
}

uint64_t JoinHalves(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

uint64_t ToNanoseconds(const FILETIME& time) { return JoinHalves(time.dwHighDateTime, time.dwLowDateTime) * 100; }

void FillFoundFile(const std::wstring& mask, const WIN32_FIND_DATAW& data, FoundFile& found) {
  found.Name = SetName(mask, data.cFileName);
  found.Size = JoinHalves(data.nFileSizeHigh, data.nFileSizeLow);
  found.FileAttr = data.dwFileAttributes;
  found.IsDir = IsFolderAttr(found.FileAttr);
  found.IsLink = IsLinkAttr(found.FileAttr);
  found.ftCreationTime = data.ftCreationTime;
  found.ftLastAccessTime = data.ftLastAccessTime;
  found.ftLastWriteTime = data.ftLastWriteTime;
  found.mtime = ToNanoseconds(data.ftLastWriteTime);
  found.ctime = ToNanoseconds(data.ftCreationTime);
  found.atime = ToNanoseconds(data.ftLastAccessTime);
}

bool IsDotEntry(const std::wstring& name) {
  std::wstring part = GetNamePart(name);
  return part == L"." || part == L"..";
}

}  // namespace

DWORD GetPathAttributes(const std::wstring& name) {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  CallWithLongPathRetry(name, [&](const wchar_t* path) {
    attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES;
  });
  return attributes;
}

bool PathExists(const std::wstring& name) { return GetPathAttributes(name) != INVALID_FILE_ATTRIBUTES; }

bool IsFolderAttr(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsLinkAttr(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

bool ClearPathAttributes(const std::wstring& name) {
  return CallWithLongPathRetry(name, [](const wchar_t* path) { return SetFileAttributesW(path, 0) != FALSE; });
}

bool ClearPathAttributesIfProtected(const std::wstring& name, DWORD attributes) {
  // A write costs about half as much as a deletion, and most entries carry none of
  // these attributes; the others (archive and the like) never stand in the way of
  // a deletion, so leaving them changes nothing that follows.
  constexpr DWORD kProtective = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if ((attributes & kProtective) == 0) return true;
  return ClearPathAttributes(name);
}

bool RemoveFile(const std::wstring& name) {
  return CallWithLongPathRetry(name, [](const wchar_t* path) { return DeleteFileW(path) != FALSE; });
}

bool RemoveFolder(const std::wstring& name) {
  return CallWithLongPathRetry(name, [](const wchar_t* path) { return RemoveDirectoryW(path) != FALSE; });
}

int MakeFolder(const std::wstring& name) {
  if (!EndsWithDotOrSpace(name) && CreateDirectoryW(name.c_str(), nullptr)) return kFolderMade;
  // A name that exists already (as a folder or a file) gets no second attempt.
  if (PathExists(name)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return kFolderFailed;
  }
  std::wstring longPath;
  if (MakeLongPath(name, longPath) && CreateDirectoryW(longPath.c_str(), nullptr)) return kFolderMade;
  DWORD error = GetLastError();
  return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? kFolderBadPath : kFolderFailed;
}

bool MakeFolderOk(const std::wstring& name) { return MakeFolder(name) == kFolderMade; }

UniqueStream OpenStream(const std::wstring& name, const wchar_t* mode) {
  return UniqueStream(_wfopen(name.c_str(), mode));
}

bool RemoveLink(const std::wstring& name) {
  UniqueFile link;
  CallWithLongPathRetry(name, [&](const wchar_t* path) {
    link.reset(CreateFileW(path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return static_cast<bool>(link);
  });
  if (!link) return false;
  // RemoveDirectoryW and DeleteFileW on a name may reach the target: Wine's do,
  // for unix links (an empty target folder, a target file). The handle is deleted
  // only once it shows that it holds the link itself.
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!GetFileInformationByHandleEx(link.get(), FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !IsLinkAttr(tag.FileAttributes))
    return false;
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(link.get(), FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

void RemoveFolderTree(const std::wstring& folder) {
  const DWORD attributes = GetPathAttributes(folder);
  if (!IsFolderAttr(attributes) || IsLinkAttr(attributes)) return;
  // Walked here rather than handed to the shell, whose delete descends into links
  // inside the tree and deletes what they point to. Folders are listed top down
  // and removed bottom up, without recursion, so any depth is safe.
  std::vector<std::wstring> folders{folder};
  for (size_t i = 0; i < folders.size(); ++i) {
    FileFinder finder;
    finder.SetMask(MakeName(folders[i], L"*"));
    FoundFile found;
    while (finder.Next(found)) {
      if (found.IsLink) {
        RemoveLink(found.Name);
      } else if (found.IsDir) {
        folders.push_back(found.Name);
      } else {
        ClearPathAttributes(found.Name);
        RemoveFile(found.Name);
      }
    }
  }
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    ClearPathAttributes(*it);
    RemoveFolder(*it);
  }
}

void FileFinder::SetMask(const std::wstring& mask) {
  mask_ = mask;
  first_ = true;
  find_.reset();
}

bool FileFinder::Next(FoundFile& found) {
  for (;;) {
    found.Error = false;
    if (mask_.empty()) return false;
    WIN32_FIND_DATAW data;
    if (first_) {
      find_ = FindFirstWithRetry(mask_, data);
      if (!find_) {
        found.Error = IsFirstSearchError(GetLastError());
        return false;
      }
    } else if (!FindNextFileW(find_.get(), &data)) {
      found.Error = GetLastError() != ERROR_NO_MORE_FILES;
      return false;
    }
    FillFoundFile(mask_, data, found);
    first_ = false;
    if (!IsDotEntry(found.Name)) return true;
  }
}

bool FindOne(const std::wstring& path, FoundFile& found) {
  found.Error = false;
  if (IsWildcard(path)) return false;
  WIN32_FIND_DATAW data;
  UniqueFindHandle find = FindFirstWithRetry(path, data);
  if (!find) {
    found.Error = IsFirstSearchError(GetLastError());
    return false;
  }
  find.reset();
  FillFoundFile(path, data, found);
  return true;
}
