#pragma once
// File-system calls for names of any length. Each makes its Windows call with the
// name as given and, when that fails, once more with the long-path form. Failures
// show only in the result; GetLastError holds the last attempt's error.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "environment/unique_handle.h"

// The attributes, or INVALID_FILE_ATTRIBUTES when there is no such file or folder.
DWORD GetPathAttributes(const std::wstring& name);
bool PathExists(const std::wstring& name);
// True for a valid attribute value with FILE_ATTRIBUTE_DIRECTORY.
bool IsFolderAttr(DWORD attributes);
// True when FILE_ATTRIBUTE_REPARSE_POINT is set (also for INVALID_FILE_ATTRIBUTES).
bool IsLinkAttr(DWORD attributes);
// Removes every attribute (read-only, hidden, system...).
bool ClearPathAttributes(const std::wstring& name);
// Removes every attribute, as ClearPathAttributes does, but only when `attributes`
// (as read just before) include read-only, hidden or system; an unknown value
// (INVALID_FILE_ATTRIBUTES) clears too. Returns true without a call otherwise.
bool ClearPathAttributesIfProtected(const std::wstring& name, DWORD attributes);
bool RemoveFile(const std::wstring& name);
// Removes an empty folder.
bool RemoveFolder(const std::wstring& name);

enum MakeFolderResult { kFolderMade = 0, kFolderFailed = 1, kFolderBadPath = 2 };
// Makes one folder level; kFolderBadPath when a parent is missing.
int MakeFolder(const std::wstring& name);
bool MakeFolderOk(const std::wstring& name);

struct StreamCloser {
  void operator()(FILE* f) const { if (f) fclose(f); }
};
using UniqueStream = std::unique_ptr<FILE, StreamCloser>;
// _wfopen without retry; empty on failure.
UniqueStream OpenStream(const std::wstring& name, const wchar_t* mode);

// Removes a junction or symbolic link itself, never what it points to: only when
// the object opened without following links shows itself as a link. False when it
// does not (Wine, for one, opens the target of a unix link: such a link stays).
bool RemoveLink(const std::wstring& name);

// Deletes a folder with everything in it, permanently; does nothing for a missing
// folder, a file or a link. Links inside are removed as links (RemoveLink) and
// never entered; what cannot be deleted stays.
void RemoveFolderTree(const std::wstring& folder);

struct FoundFile {
  std::wstring Name;  // the mask's folder joined with the found name
  uint64_t Size = 0;
  DWORD FileAttr = 0;
  bool IsDir = false;
  bool IsLink = false;
  uint64_t mtime = 0, ctime = 0, atime = 0;  // nanoseconds since 1601
  FILETIME ftCreationTime{}, ftLastAccessTime{}, ftLastWriteTime{};
  bool Error = false;  // the search ended by a real error
};

// Lists one folder: every entry but "." and "..", in the file system's order.
class FileFinder {
 public:
  void SetMask(const std::wstring& mask);
  // False at the end or on an error (then `found.Error` is set).
  bool Next(FoundFile& found);

 private:
  std::wstring mask_;
  bool first_ = true;
  UniqueFindHandle find_;
};

// Looks up one exact path (no wildcards); false when it does not exist.
bool FindOne(const std::wstring& path, FoundFile& found);
