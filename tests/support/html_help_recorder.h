#pragma once
// Records what the help viewer asks of the HTML help control: while a recorder
// lives, the program's look-up of HtmlHelpW finds the recorder instead, and the
// help viewer starts afresh (looks its function and file up again, retry not made).
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "environment/help_viewer_writer.h"
#include "support/import_patch.h"

struct HtmlHelpCall {
  std::wstring Address;
  UINT Command;
};

class ScopedHtmlHelpRecorder {
 public:
  // Every recorded call answers `answer` (null: the control showed nothing).
  explicit ScopedHtmlHelpRecorder(HWND answer = nullptr) : saved_(WritableHelpViewerState()) {
    Calls().clear();
    Answer() = answer;
    original_ = patch_.Original();
    HelpViewerState& state = WritableHelpViewerState();
    state = HelpViewerState{};
    state.Control = saved_.Control;
  }
  ~ScopedHtmlHelpRecorder() { WritableHelpViewerState() = saved_; }
  ScopedHtmlHelpRecorder(const ScopedHtmlHelpRecorder&) = delete;
  ScopedHtmlHelpRecorder& operator=(const ScopedHtmlHelpRecorder&) = delete;
  bool Patched() const { return patch_.Patched(); }
  static std::vector<HtmlHelpCall>& Calls() {
    static std::vector<HtmlHelpCall> calls;
    return calls;
  }

 private:
  static HWND& Answer() {
    static HWND answer = nullptr;
    return answer;
  }
  static HWND WINAPI Record(HWND, const wchar_t* address, UINT command, DWORD_PTR) {
    Calls().push_back({address, command});
    return Answer();
  }
  static FARPROC WINAPI FindProc(HMODULE module, LPCSTR name) {
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && strcmp(name, "HtmlHelpW") == 0)
      return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(Record));
    return reinterpret_cast<decltype(&GetProcAddress)>(original_)(module, name);
  }

  HelpViewerState saved_;
  ScopedImportPatch patch_{"GetProcAddress", reinterpret_cast<void*>(FindProc)};
  static inline void* original_ = nullptr;
};
