#include "startup/command_line.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

#include "environment/messages.h"
#include "environment/paths.h"
#include "integration/integration_options.h"
#include "localization/strings.h"
#include "startup/run_state.h"
#include "text/text_utils.h"

namespace {

enum class SwitchAction { ExtAll, Setup, Msi, Init, Wait, NoExplorer, Warning };

struct SwitchRow {
  const wchar_t* Name;
  size_t Compared;      // leading characters of the name that must match
  bool InSfxcmdPass;    // acts in pass 1 too
  SwitchAction Action;
};

// Tested in this order; the first match acts. The silent switch is tested before them.
constexpr SwitchRow kSwitches[] = {
    {L"extall", 6, true, SwitchAction::ExtAll},
    {L"setup", 5, false, SwitchAction::Setup},
    {L"msi", 3, false, SwitchAction::Msi},
    {L"init", 4, false, SwitchAction::Init},
    {L"wait", 4, false, SwitchAction::Wait},
    {L"noexplorer", 4, false, SwitchAction::NoExplorer},
    {L"warning", 7, false, SwitchAction::Warning},
};

constexpr DWORD kWaitMilliseconds = 2000;
constexpr UINT kWarningFlags = MB_SETFOREGROUND | MB_ICONINFORMATION;
constexpr size_t kInitFormatDigitsMax = 20;
static_assert(kInitFormatDigitsMax <= kFormatFlags);

bool IsSwitch(const std::wstring& argument) {
  return !argument.empty() && (argument[0] == L'-' || argument[0] == L'/');
}

// -s, /S, -s1, /s-: an S and then anything but an ASCII letter.
bool IsSilentSwitch(const wchar_t* name) { return ToUpperChar(name[0]) == L'S' && !IsAsciiLetter(name[1]); }

const SwitchRow* FindSwitch(const wchar_t* name) {
  for (const SwitchRow& row : kSwitches) {
    if (StrCompareNoCaseN(name, row.Name, row.Compared) == 0) return &row;
  }
  return nullptr;
}

void Act(SwitchAction action, const wchar_t* name, bool& setupRequested) {
  switch (action) {
    case SwitchAction::ExtAll:
      RunState.ExtAll = true;
      break;
    case SwitchAction::Setup:
      setupRequested = true;
      break;
    case SwitchAction::Msi:
      RunState.Msi = true;
      break;
    case SwitchAction::Init:
      CopyTextBounded(RunState.InitData, name + 4, std::size(RunState.InitData));
      break;
    case SwitchAction::Wait:
      Sleep(kWaitMilliseconds);
      break;
    case SwitchAction::NoExplorer:
      break;
    case SwitchAction::Warning:
      ShowManualDeletionWarning();
      break;
  }
}

bool* InitOptionFlag(IntegrationOptions& options, wchar_t letter) {
  switch (letter) {
    case L'C': return &options.CascadedMenu;
    case L'D': return &options.Desktop;
    case L'I': return &options.MenuIcons;
    case L'M': return &options.StartMenu;
    case L'P': return &options.Programs;
    case L'S': return &options.ShellExt;
    default: return nullptr;
  }
}

}  // namespace

bool GetNextArgument(const wchar_t* text, size_t& position, std::wstring& argument) {
  argument.clear();
  if (text == nullptr) return false;
  const size_t length = wcslen(text);
  if (position > length) position = length;
  while (position < length && IsSpaceOrTab(text[position])) ++position;
  if (position == length) return false;
  bool quoted = false;
  while (position < length) {
    const wchar_t c = text[position];
    if (!quoted && IsSpaceOrTab(c)) break;
    if (c == L'"' && text[position + 1] == L'"') {
      argument += L'"';
      position += 2;
    } else if (c == L'"') {
      quoted = !quoted;
      ++position;
    } else {
      argument += c;
      ++position;
    }
  }
  return true;
}

void ParseCommandLine(int pass, const wchar_t* text, bool& setupRequested, bool& uninstallRequested) {
  unsigned switchCount = 0;
  size_t position = 0;
  std::wstring argument;
  while (GetNextArgument(text, position, argument)) {
    if (!IsSwitch(argument)) continue;
    const wchar_t* name = argument.c_str() + 1;
    ++switchCount;
    if (IsSilentSwitch(name)) {
      RunState.Silent = true;
      --switchCount;
      continue;
    }
    const SwitchRow* row = FindSwitch(name);
    if (row != nullptr && (pass == kCommandLinePass || row->InSfxcmdPass)) Act(row->Action, name, setupRequested);
  }
  uninstallRequested = pass == kCommandLinePass && switchCount == 0;
}

void ApplyInitData(IntegrationOptions& options) {
  const wchar_t* data = RunState.InitData;
  size_t i = 0;
  while (data[i] != L'\0' && data[i + 1] != L'\0') {
    const wchar_t letter = ToUpperChar(data[i]);
    if (letter == L'A') {
      ++i;
      for (size_t k = 0; k < kInitFormatDigitsMax && IsDigit(data[i]); ++k, ++i) options.Formats[k] = data[i] == L'1';
      continue;
    }
    if (bool* flag = InitOptionFlag(options, letter)) *flag = data[i + 1] == L'1';
    i += 2;
  }
}

void ShowManualDeletionWarning() {
  std::wstring text = GetLocalizedString(IDS_UNINSTALLCOMPLETED);
  text += L'\n';
  text += FormatString(GetLocalizedFormat(IDS_UNINSTALLSHOULDDELETE).c_str(), GetModulePath().c_str());
  const std::wstring caption = GetLocalizedString(IDS_UNINSTALLZPK);
  ShowMessage(nullptr, text.c_str(), caption.c_str(), kWarningFlags);
}
