#pragma once
// The help viewer's process-wide state, for tests that need a fresh one (through
// a scoped restore): the program itself only changes it inside ShowHelp.
#include <windows.h>

#include <string>

#include "environment/help_viewer.h"

using HtmlHelpFunction = HWND(WINAPI*)(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data);

struct HelpViewerState {
  // hhctrl.ocx, loaded on first use and never freed: the help window belongs to
  // the control and may outlive every dialog.
  HMODULE Control = nullptr;
  HtmlHelpFunction HtmlHelp = nullptr;  // null until looked up
  std::wstring FilePath;
  bool ShortPathRetried = false;
  HelpPathResolver Resolver = nullptr;
};

HelpViewerState& WritableHelpViewerState();
