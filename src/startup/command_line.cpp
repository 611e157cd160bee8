#include "startup/command_line.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

#include "environment/messages.h"
#include "environment/paths.h"
#include "environment/run_state_writer.h"
#include "localization/strings.h"
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
      WritableRunState().ExtAll = true;
      break;
    case SwitchAction::Setup:
      setupRequested = true;
      break;
    case SwitchAction::Msi:
      WritableRunState().Msi = true;
      break;
    case SwitchAction::Init:
      CopyTextBounded(WritableRunState().InitData, name + 4, std::size(RunState.InitData));
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
      WritableRunState().Silent = true;
      --switchCount;
      continue;
    }
    const SwitchRow* row = FindSwitch(name);
    if (row != nullptr && (pass == kCommandLinePass || row->InSfxcmdPass)) Act(row->Action, name, setupRequested);
  }
  uninstallRequested = pass == kCommandLinePass && switchCount == 0;
}

void ShowManualDeletionWarning() {
  std::wstring text = GetLocalizedString(IDS_UNINSTALLCOMPLETED);
  text += L'\n';
  text += FormatString(GetLocalizedFormat(IDS_UNINSTALLSHOULDDELETE).c_str(), GetModulePath().c_str());
  const std::wstring caption = GetLocalizedString(IDS_UNINSTALLZPK);
  ShowMessage(nullptr, text.c_str(), caption.c_str(), kWarningFlags);
}
