#pragma once
// Records what the help viewer asks of the HTML help control: while a recorder lives,
// the help viewer calls the recorder in place of the control, with the help file it
// was given, every call shows nothing, and no retry has been made yet.
#include <windows.h>

#include <string>
#include <vector>

#include "environment/help_viewer_writer.h"

struct HtmlHelpCall {
  std::wstring Address;
};

class ScopedHtmlHelpRecorder {
 public:
  explicit ScopedHtmlHelpRecorder(const std::wstring& helpFile = L"bramix.chm") : saved_(WritableHelpViewerState()) {
    Calls().clear();
    WritableHelpViewerState() = HelpViewerState{.Control = saved_.Control, .HtmlHelp = Record, .FilePath = helpFile};
  }
  ~ScopedHtmlHelpRecorder() { WritableHelpViewerState() = saved_; }
  static std::vector<HtmlHelpCall>& Calls() {
    static std::vector<HtmlHelpCall> calls;
    return calls;
  }

 private:
  static HWND WINAPI Record(HWND, const wchar_t* address, UINT, DWORD_PTR) {
    Calls().push_back({address});
    return nullptr;
  }
  HelpViewerState saved_;
};
