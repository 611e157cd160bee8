#pragma once
// One move-only owner for every kind of Windows handle; what counts as "empty"
// and how a handle is released live in the traits. Releasing a handle keeps the
// calling thread's last error, so that a caller can read GetLastError after a
// failed call even when an owner went away in between.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return !Traits::IsEmpty(handle_); }

  // Releases the handle held so far and takes the new one.
  void reset(Handle handle = Traits::Empty()) {
    Handle old = std::exchange(handle_, handle);
    if (Traits::IsEmpty(old)) return;
    const DWORD lastError = GetLastError();
    Traits::Close(old);
    SetLastError(lastError);
  }
  // Gives up ownership without closing.
  [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::Empty()); }
  // Releases the handle held so far and returns the empty slot for an API to fill.
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Empty();
};

// Kernel calls report "no handle" as null or as INVALID_HANDLE_VALUE depending on
// the call; neither is ever closed.
inline bool IsNullOrInvalid(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }

struct HkeyTraits {
  using Handle = HKEY;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
struct FileTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsEmpty(Handle h) { return IsNullOrInvalid(h); }
  static void Close(Handle h) { CloseHandle(h); }
};
struct FindTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsEmpty(Handle h) { return IsNullOrInvalid(h); }
  static void Close(Handle h) { FindClose(h); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
struct KernelTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return IsNullOrInvalid(h); }
  static void Close(Handle h) { CloseHandle(h); }
};
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
struct IconTraits {
  using Handle = HICON;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};

using UniqueHkey = UniqueHandle<HkeyTraits>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueFindHandle = UniqueHandle<FindTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
