// Reference for the uninstall benchmark: deletes each entry with nothing but
// DeleteFileW, or RemoveDirectoryW where that fails.
// Usage: bench_ref_bare_delete.exe FOLDER
#include "reference_list.h"

int wmain(int argc, wchar_t** argv) {
  return RunReference(argc, argv, [](const std::wstring& path) {
    return DeleteFileW(path.c_str()) || RemoveDirectoryW(path.c_str());
  });
}
