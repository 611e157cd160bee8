// Reference for the uninstall benchmark: reads each entry's attributes, clears
// them only when read-only, hidden or system is set, then deletes the entry with
// DeleteFileW or RemoveDirectoryW.
// Usage: bench_ref_attr_if_set_delete.exe FOLDER
#include "reference_list.h"

int wmain(int argc, wchar_t** argv) {
  return RunReference(argc, argv, [](const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // gone: nothing left to try
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
      SetFileAttributesW(path.c_str(), 0);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != 0
                                                   : DeleteFileW(path.c_str()) != 0;
  });
}
