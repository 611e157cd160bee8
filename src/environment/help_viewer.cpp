#include "environment/help_viewer.h"

#include <windows.h>

#include "environment/help_viewer_writer.h"
#include "environment/paths.h"
#include "environment/system_library.h"
#include "text/text_utils.h"

namespace {

constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
constexpr UINT kDisplayToc = 1;    // HH_DISPLAY_TOC

// Loads the control and looks up its entry point; false when either is missing.
// A failed load or look-up is tried again at the next call.
bool PrepareHelpControl(HelpViewerState& state) {
  if (state.Control == nullptr) state.Control = LoadSystemLibrary(L"hhctrl.ocx");
  if (state.HtmlHelp != nullptr) return true;
  if (state.Control == nullptr) return false;
  state.HtmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(GetProcAddress(state.Control, "HtmlHelpW")));
  state.FilePath = GetModuleFolderFile(L"bramix.chm");
  if (state.Resolver != nullptr) state.Resolver(state.FilePath, state.FilePath);
  return state.HtmlHelp != nullptr;
}

// "<file>::/html/<topic>.htm" with the anchor (from the last '#') kept at the end.
std::wstring TopicAddress(const std::wstring& file, const std::wstring& topic) {
  const size_t anchor = topic.rfind(L'#');
  const std::wstring page = anchor == std::wstring::npos ? topic : topic.substr(0, anchor);
  const std::wstring rest = anchor == std::wstring::npos ? L"" : topic.substr(anchor);
  return file + L"::/html/" + page + L".htm" + rest;
}

// The short form of a path that the ANSI code page cannot spell; empty when the
// path survives the conversion or has no different short form.
std::wstring ShortFormForAnsi(const std::wstring& path) {
  if (AnsiToWideString(WideToAnsiString(path)) == path) return L"";
  const std::wstring shortPath = GetShortPath(path);
  return shortPath == path ? L"" : shortPath;
}

}  // namespace

HelpViewerState& WritableHelpViewerState() {
  static HelpViewerState state;
  return state;
}

void SetHelpPathResolver(HelpPathResolver resolver) { WritableHelpViewerState().Resolver = resolver; }

void ShowHelp(const std::wstring& topic) {
  HelpViewerState& state = WritableHelpViewerState();
  if (!PrepareHelpControl(state)) return;
  // Owned by the desktop, the help window stays independent of the dialog.
  const HWND owner = GetDesktopWindow();
  HWND shown = nullptr;
  if (topic.empty())
    shown = state.HtmlHelp(owner, state.FilePath.c_str(), kDisplayToc, 0);
  else
    shown = state.HtmlHelp(owner, TopicAddress(state.FilePath, topic).c_str(), kDisplayTopic, 0);
  if (shown != nullptr || state.ShortPathRetried) return;
  state.ShortPathRetried = true;
  const std::wstring shortPath = ShortFormForAnsi(state.FilePath);
  if (shortPath.empty()) return;
  state.FilePath = shortPath;
  ShowHelp(topic);
}
