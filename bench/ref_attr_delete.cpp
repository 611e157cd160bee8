// Reference for the uninstall benchmark: reads each entry's attributes, always clears
// them, then deletes it with DeleteFileW or RemoveDirectoryW.
// Usage: bench_ref_attr_delete.exe FOLDER
#include "reference_list.h"

int wmain(int argc, wchar_t** argv) {
  return RunReference(argc, argv, [](const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // gone: nothing left to try
    SetFileAttributesW(path.c_str(), 0);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != 0
                                                   : DeleteFileW(path.c_str()) != 0;
  });
}
