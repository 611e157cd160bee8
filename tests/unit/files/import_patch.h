#pragma once
// Failures that Wine does not produce, made on purpose: a ScopedImportPatch points
// one entry of this program's import address table at a replacement for as long as
// it lives, so that the program's own code calls the replacement.
// WindowsPathLimit uses it to refuse plain names of MAX_PATH characters or more, as
// Windows does for programs that are not long-path aware; Wine accepts them.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

class ScopedImportPatch {
 public:
  ScopedImportPatch(const char* function, void* replacement) {
    slot_ = FindSlot(function);
    if (!slot_) return;
    original_ = *slot_;
    Write(replacement);
  }
  ~ScopedImportPatch() {
    if (slot_) Write(original_);
  }
  ScopedImportPatch(const ScopedImportPatch&) = delete;
  ScopedImportPatch& operator=(const ScopedImportPatch&) = delete;
  bool Patched() const { return slot_ != nullptr; }
  void* Original() const { return original_; }

 private:
  static void** FindSlot(const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
      if (d->OriginalFirstThunk == 0) continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
      for (; names->u1.AddressOfData; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
          return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
    return nullptr;
  }
  void Write(void* value) {
    DWORD old;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof(void*), old, &old);
  }

  void** slot_ = nullptr;
  void* original_ = nullptr;
};

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
