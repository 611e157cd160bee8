#pragma once
// Records the flags of every message box the test program's own code asks for,
// instead of showing it, for as long as it lives; each box is answered with OK.
#include <windows.h>

#include "support/import_patch.h"

class MessageBoxRecorder {
 public:
  MessageBoxRecorder() { lastFlags_ = 0; }
  bool Patched() const { return patch_.Patched(); }
  // The flags of the last box, 0 when none was asked for.
  UINT LastFlags() const { return lastFlags_; }

 private:
  static int WINAPI Record(HWND, LPCWSTR, LPCWSTR, UINT flags) {
    lastFlags_ = flags;
    return IDOK;
  }
  static inline UINT lastFlags_ = 0;
  ScopedImportPatch patch_{"MessageBoxW", reinterpret_cast<void*>(&Record)};
};
