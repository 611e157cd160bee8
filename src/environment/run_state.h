#pragma once
// The process-wide run state, zero at start and never reset. Every layer reads it
// here; the few writers (the command-line parse and, for ExitCode, the integration
// settings dialog) include environment/run_state_writer.h.
#include <cstddef>

constexpr size_t kInitDataMax = 39;

struct RunStateRecord {
  bool Silent = false;
  bool Msi = false;
  bool ExtAll = false;
  wchar_t InitData[kInitDataMax + 1] = {};
  int ExitCode = 0;
};

extern const RunStateRecord& RunState;
