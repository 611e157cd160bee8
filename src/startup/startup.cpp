#include "startup/startup.h"

#include <ole2.h>

#include <string>

#include "dialogs/done_dialog.h"
#include "dialogs/setup_dialog.h"
#include "environment/app_visuals.h"
#include "environment/messages.h"
#include "environment/paths.h"
#include "environment/system_library.h"
#include "environment/run_state.h"
#include "environment/unique_handle.h"
#include "localization/language_file.h"
#include "localization/strings.h"
#include "settings/settings_store_writer.h"
#include "startup/command_line.h"
#include "uninstall/install_record.h"
#include "uninstall/uninstall_run.h"

namespace {

constexpr size_t kSfxcmdSize = 1024;
constexpr int kBoldWeight = FW_BOLD;

// Takes the current directory out of the DLL search order where the system can.
void HardenDllSearch() {
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return;
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
  FARPROC proc = GetProcAddress(kernel, "SetDllDirectoryW");
  if (proc == nullptr) return;
  reinterpret_cast<SetDllDirectoryFunction>(reinterpret_cast<void*>(proc))(L"");
}

HICON LoadAppIcon() {
  HICON icon = LoadIconW(ResourceModule(), L"ZPKICON");
  if (icon == nullptr && ResourceModule() != ProgramModule()) icon = LoadIconW(ProgramModule(), L"ZPKICON");
  return icon;
}

UniqueGdiObject CreateBoldFont() {
  return UniqueGdiObject(
      CreateFontW(GetBoldFontHeight(), 0, 0, 0, kBoldWeight, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, L"MS Shell Dlg"));
}

// The package's own command line. A value that does not fit the buffer is
// ignored rather than cut, so that half a switch cannot ask for anything.
std::wstring ReadSfxcmd() {
  wchar_t buffer[kSfxcmdSize] = {};
  const DWORD length = GetEnvironmentVariableW(L"sfxcmd", buffer, static_cast<DWORD>(kSfxcmdSize));
  if (length >= kSfxcmdSize) return std::wstring();
  return buffer;
}

// Only a cancelled settings dialog (0) ends setup here. One that could not be made
// (-1) does not: the package's settings file is still brought over.
void RunSetup() {
  if (ShowSetupDialog() == 0) return;
  CopyPackageFiles();
  if (!RunState.Msi) ShowDoneDialog();
}

class OleSession {
 public:
  OleSession() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (initialized_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool initialized_;
};

void RunSelectedMode() {
  bool setupRequested = false;
  bool uninstallRequested = false;
  const std::wstring sfxcmd = ReadSfxcmd();
  ParseCommandLine(kSfxcmdPass, sfxcmd.c_str(), setupRequested, uninstallRequested);
  ParseCommandLine(kCommandLinePass, GetCommandLineW(), setupRequested, uninstallRequested);
  if (setupRequested) RunSetup();
  if (uninstallRequested) RunUninstall();
}

int Run(HINSTANCE instance) {
  HardenDllSearch();
  LoadLanguageDll(instance);
  LoadLanguage(L"uninstall.lng");
  // Declared so that they go in this order: RichEdit, OLE, the font and the icon.
  const AppVisuals visuals(LoadAppIcon(), CreateBoldFont());
  OleSession ole;
  UniqueModule richEdit(LoadSystemLibrary(L"riched20.dll"));
  RunSelectedMode();
  return RunState.ExitCode;
}

// The run's last steps. The settings file is written back only now, after
// everything the mode changed in it (an uninstall run may have deleted it).
void FinishRun() {
  WritableSettingsStore().SaveSettingsFile();
  FreeLanguageDll();
}

}  // namespace

int RunProgram(HINSTANCE instance) {
  try {
    const int exitCode = Run(instance);
    FinishRun();
    return exitCode;
  } catch (...) {
    // Nothing may unwind into Windows; the run ends with what it has decided so far.
    return RunState.ExitCode;
  }
}
