#pragma once
// A unix symbolic link made from a Windows test under Wine, standing in for a
// junction: Wine shows a link to a folder as a folder with the reparse-point
// attribute, but cannot make one itself (CreateSymbolicLinkW makes nothing) nor
// remove one (RemoveDirectoryW removes an empty target instead).
#include <windows.h>

#include <string>

#include "support/wine_program.h"

// Makes `link` point at `target` (full Windows paths, ASCII) with the unix ln, and
// removes the link alone with the unix rm when it goes away.
class ScopedUnixLink {
 public:
  ScopedUnixLink(const std::wstring& target, const std::wstring& link) : windowsLink_(link), link_(UnixName(link)) {
    const std::string target_ = UnixName(target);
    made_ = !target_.empty() && !link_.empty() &&
            RunTool(L"Z:\\bin\\ln", "-s \"" + target_ + "\" \"" + link_ + "\"", link, true);
  }
  ~ScopedUnixLink() {
    if (made_) RunTool(L"Z:\\bin\\rm", "-f \"" + link_ + "\"", windowsLink_, false);
  }
  ScopedUnixLink(const ScopedUnixLink&) = delete;
  ScopedUnixLink& operator=(const ScopedUnixLink&) = delete;
  // False when no link could be made here (not under Wine, no ln).
  bool Made() const { return made_; }

 private:
  static std::string UnixName(const std::wstring& path) {
    using Converter = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* name = convert ? convert(path.c_str()) : nullptr;
    std::string result = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return result;
  }
  // Whether the link is listed in its folder (also when its target has gone).
  static bool Listed(const std::wstring& link) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(link.c_str(), &data));
    return static_cast<bool>(find);
  }
  // A unix program started from Wine goes on after its Windows process has
  // ended: the result is awaited on the file system.
  static bool RunTool(const wchar_t* tool, const std::string& args, const std::wstring& link, bool present) {
    const ChildProcess process(tool, std::wstring(args.begin(), args.end()));
    for (int i = 0; i < 200 && Listed(link) != present; ++i) Sleep(50);
    return Listed(link) == present;
  }

  std::wstring windowsLink_;
  std::string link_;
  bool made_ = false;
};
