// Reference for the uninstall benchmark: for each entry of FOLDER\Uninstall.lst
// reads its attributes, clears them, then deletes it with DeleteFileW or
// RemoveDirectoryW, in passes until one removes nothing.
// Usage: bench_ref_attr_delete.exe FOLDER
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring base = std::wstring(argv[1]) + L"\\";
  FILE* list = _wfopen((base + L"Uninstall.lst").c_str(), L"rb");
  if (!list) return 1;
  std::vector<std::wstring> paths;
  char line[1024];
  while (fgets(line, sizeof(line), list)) {
    size_t n = strlen(line);
    while (n > 0 && strchr(" \t\r\n", line[n - 1])) --n;
    if (n > 0) paths.push_back(base + std::wstring(line, line + n));
  }
  fclose(list);
  for (;;) {
    std::vector<std::wstring> left;
    for (const std::wstring& path : paths) {
      DWORD attributes = GetFileAttributesW(path.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) continue;
      SetFileAttributesW(path.c_str(), 0);
      bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
      if (!removed) left.push_back(path);
    }
    if (left.size() == paths.size()) break;
    paths.swap(left);
  }
  return 0;
}
