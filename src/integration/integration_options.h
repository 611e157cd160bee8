#pragma once
// The user's integration choices and the table of archive formats whose row order
// the init switch and the registry layout depend on.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

constexpr size_t kFormatFlags = 20;  // 18 rows and room for two more
constexpr size_t kArchiveFormatCount = 18;
// The archiver, in the program's folder: the target of associations and shortcuts.
constexpr wchar_t kProgramFileName[] = L"Bramix.exe";

// One byte per choice; an all-off record means no integration at all.
struct IntegrationOptions {
  bool Formats[kFormatFlags] = {};
  bool Desktop = false;
  bool StartMenu = false;
  bool Programs = false;
  bool ShellExt = false;
  bool CascadedMenu = false;
  bool MenuIcons = false;
  bool LegacyMenu = false;
  bool ExtAll = false;
};

struct ArchiveFormat {
  const wchar_t* Extensions;  // ".lzh.lha": the first extension names the row
  unsigned ControlId;         // check box of the settings dialog
  const char* KeyName;        // its language-file key
  const wchar_t* Label;
};

extern const std::array<ArchiveFormat, kArchiveFormatCount> ArchiveFormats;

// The extensions of a row's list: ".lzh.lha" gives ".lzh" and ".lha", each piece
// running from a dot to the next dot after its first character. A list longer than
// 49 characters is cut there first.
std::vector<std::wstring> SplitExtensionList(const wchar_t* list);
