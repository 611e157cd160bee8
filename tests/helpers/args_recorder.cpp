// Stands in for a program that the code under test starts: after 1.5 seconds it
// appends its arguments, joined by spaces, as one line to "<its own path>.args".
// The delay lets a test tell whether its starter waited for it.
#include <windows.h>

#include <string>

#include "environment/paths.h"
#include "environment/unique_handle.h"

int wmain(int argc, wchar_t** argv) {
  Sleep(1500);
  std::wstring line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
  line += L"\n";
  const std::string bytes(line.begin(), line.end());
  UniqueFile file(
      CreateFileW((GetModulePath() + L".args").c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ? 0 : 1;
}
