#pragma once
// What the two reference programs of the uninstall benchmark share: reading the
// entries of FOLDER\Uninstall.lst and deleting them in passes until one removes
// nothing. They differ only in how one entry is deleted.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

template <typename DeleteEntry>
int RunReference(int argc, wchar_t** argv, DeleteEntry deleteEntry) {
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
    for (const std::wstring& path : paths)
      if (!deleteEntry(path)) left.push_back(path);
    if (left.size() == paths.size()) break;
    paths.swap(left);
  }
  return 0;
}
