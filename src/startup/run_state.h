#pragma once
// The process-wide run state, zero at start and never reset. Written by the
// command-line parse and, for ExitCode, by the integration settings dialog.
#include <windows.h>

constexpr size_t kInitDataMax = 39;

struct RunStateRecord {
  bool Silent = false;
  bool Msi = false;
  bool ExtAll = false;
  wchar_t InitData[kInitDataMax + 1] = {};
  int ExitCode = 0;
};

extern RunStateRecord RunState;
// The application icon and the bold dialog font of the setup dialogs; null when
// they could not be made.
extern HICON AppIcon;
extern HFONT BoldFont;
