#pragma once
// Refuses plain names of MAX_PATH characters or more in this test program's own
// file-system calls, as Windows does for programs that are not long-path aware;
// Wine accepts them, so the long-path retry could not be seen otherwise.
#include <windows.h>

#include <cwchar>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "support/import_patch.h"

namespace path_limit {

inline int refused = 0;
inline void* originals[7] = {};

inline bool Refuse(const wchar_t* path) {
  if (!path || wcslen(path) < MAX_PATH || wcsncmp(path, L"\\\\?\\", 4) == 0) return false;
  ++refused;
  SetLastError(ERROR_PATH_NOT_FOUND);
  return true;
}
template <typename F>
F Original(int index) {
  return reinterpret_cast<F>(originals[index]);
}

inline DWORD WINAPI GetAttributes(LPCWSTR p) {
  return Refuse(p) ? INVALID_FILE_ATTRIBUTES : Original<decltype(&GetFileAttributesW)>(0)(p);
}
inline BOOL WINAPI SetAttributes(LPCWSTR p, DWORD a) {
  return Refuse(p) ? FALSE : Original<decltype(&SetFileAttributesW)>(1)(p, a);
}
inline BOOL WINAPI Delete(LPCWSTR p) { return Refuse(p) ? FALSE : Original<decltype(&DeleteFileW)>(2)(p); }
inline BOOL WINAPI RemoveDir(LPCWSTR p) { return Refuse(p) ? FALSE : Original<decltype(&RemoveDirectoryW)>(3)(p); }
inline BOOL WINAPI CreateDir(LPCWSTR p, LPSECURITY_ATTRIBUTES s) {
  return Refuse(p) ? FALSE : Original<decltype(&CreateDirectoryW)>(4)(p, s);
}
inline HANDLE WINAPI FindFirst(LPCWSTR p, LPWIN32_FIND_DATAW d) {
  return Refuse(p) ? INVALID_HANDLE_VALUE : Original<decltype(&FindFirstFileW)>(5)(p, d);
}
inline HANDLE WINAPI Create(LPCWSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t) {
  return Refuse(p) ? INVALID_HANDLE_VALUE : Original<decltype(&CreateFileW)>(6)(p, a, s, sa, c, f, t);
}

}  // namespace path_limit

class WindowsPathLimit {
 public:
  WindowsPathLimit() {
    path_limit::refused = 0;
    const std::pair<const char*, void*> table[] = {
        {"GetFileAttributesW", reinterpret_cast<void*>(path_limit::GetAttributes)},
        {"SetFileAttributesW", reinterpret_cast<void*>(path_limit::SetAttributes)},
        {"DeleteFileW", reinterpret_cast<void*>(path_limit::Delete)},
        {"RemoveDirectoryW", reinterpret_cast<void*>(path_limit::RemoveDir)},
        {"CreateDirectoryW", reinterpret_cast<void*>(path_limit::CreateDir)},
        {"FindFirstFileW", reinterpret_cast<void*>(path_limit::FindFirst)},
        {"CreateFileW", reinterpret_cast<void*>(path_limit::Create)},
    };
    for (size_t i = 0; i < std::size(table); ++i) {
      patches_.push_back(std::make_unique<ScopedImportPatch>(table[i].first, table[i].second));
      path_limit::originals[i] = patches_.back()->Original();
    }
  }
  bool AllPatched() const {
    for (const auto& patch : patches_)
      if (!patch->Patched()) return false;
    return true;
  }
  // How many plain names were refused since the limit was set.
  static int Refused() { return path_limit::refused; }

 private:
  std::vector<std::unique_ptr<ScopedImportPatch>> patches_;
};
