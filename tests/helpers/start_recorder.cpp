// Records that it was started: writes the file "<its own path>.started". Planted by tests where a
// mis-built command line would start a program that must never run.
#include <windows.h>

#include "environment/paths.h"
#include "environment/unique_handle.h"

int wmain() {
  UniqueFile marker(CreateFileW((GetModulePath() + L".started").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
  return marker ? 0 : 1;
}
