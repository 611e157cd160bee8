#pragma once
// A product installation staged for one test, the runs of the real Uninstall.exe (or
// of a helper program copied beside it) there, and the dialogs of a run answered
// from outside.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/file_bytes.h"
#include "support/registry_snapshot.h"
#include "support/registry_values.h"
#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

constexpr DWORD kSetupTimeout = kProgramTimeout;
constexpr int kBoxText = 0xFFFF;  // the id of a message box's text

// The folder holds Uninstall.exe, the applier, the stand-in files (one byte each)
// and a list naming them, the templates and those two, so that Uninstall.exe /s
// leaves nothing of it. Wine's menu builder is off while it lives: it would mirror
// every saved shortcut into the desktop's menus.
class ProductStage : public StagedInstallation {
 public:
  ProductStage(const std::wstring& folder, std::vector<std::wstring> files) : StagedInstallation(folder) {
    for (const std::wstring& file : files) WriteFile(file, "x");
    files.insert(files.end(),
                 {L"zpknew.dat", L"zipnew.dat", L"integration_applier.exe", L"Uninstall.exe", L"Uninstall.lst"});
    WriteList(files);
    CopyHelper(L"integration_applier.exe", L"integration_applier.exe");
    menuBuilder_.SetText(L"");
  }
  // Copies a helper program built beside the test program into the folder, as `name`.
  void CopyHelper(const std::wstring& helper, const std::wstring& name) const {
    CopyFileW((TestBinFolder() + L"\\" + helper).c_str(), Path(name).c_str(), FALSE);
  }
  // Runs a program of the folder to its end and then its removal script's; the exit
  // code (a time-out fails the test).
  DWORD Run(const std::wstring& args, const std::wstring& program = L"Uninstall.exe") const {
    return RunToTheEnd(Path(program), args, Folder());
  }
  // Applies an all-on record with the applier (its arguments change the record).
  DWORD Apply(const std::wstring& args = L"") const { return Run(args, L"integration_applier.exe"); }
  DWORD Uninstall() const { return Run(L"/s"); }

 private:
  const ScopedRegistryValue menuBuilder_{HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"winemenubuilder.exe"};
};

// Runs the program to its end, failing the test if it shows a window on the way
// (looking every millisecond, so that one shown for a moment is seen too); the exit code.
inline DWORD RunWithoutWindow(const std::wstring& exe, const std::wstring& args) {
  ChildProcess program(exe, args, exe.substr(0, exe.rfind(L'\\')));
  EXPECT_EQ(nullptr, program.NextDialog(nullptr, kSetupTimeout)) << "a window was shown";
  program.Kill();
  return program.ExitCode();
}

// The text a control gives when asked (a rich edit control keeps its own).
inline std::wstring AskedText(HWND control) {
  std::wstring text(static_cast<size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

// What the first dialog or message box of a run showed, and how the run ended.
struct ShownDialog {
  std::wstring Caption = L"<none>";
  std::wstring Text = L"<none>";  // a message box's text
  std::wstring FormatsGroup;      // the settings dialog's title of the formats group
  std::wstring HelpText;          // and its help
  bool Mirrored = false;
  bool TextMirrored = false;
  DWORD ExitCode = STILL_ACTIVE;
};

inline bool Mirrored(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0; }

// Runs the installation's program with `args`, reads its first dialog or message box,
// answers it with `button` and waits for the end.
inline ShownDialog FirstDialog(const StagedInstallation& install, const std::wstring& args, int button) {
  ChildProcess program(install.Exe(), args, install.Folder());
  ShownDialog shown;
  if (HWND dialog = program.NextDialog()) {
    shown = {WindowText(dialog),  ControlText(dialog, kBoxText),
             ControlText(dialog, IDC_ASSOCWITH), AskedText(GetDlgItem(dialog, IDC_INSTHELPTEXT)),
             Mirrored(dialog),    Mirrored(GetDlgItem(dialog, kBoxText))};
    PressButton(dialog, button);
  }
  EXPECT_TRUE(program.Wait());
  shown.ExitCode = program.ExitCode();
  return shown;
}

// Fails the test for each line that `after` gained or lost against `before`.
inline void ExpectSameLines(const std::set<std::wstring>& before, const std::set<std::wstring>& after) {
  for (const std::wstring& line : Minus(after, before)) ADD_FAILURE() << "gained: " << testing::PrintToString(line);
  for (const std::wstring& line : Minus(before, after)) ADD_FAILURE() << "lost: " << testing::PrintToString(line);
}

// Adds a line for each entry of the folder that matches the pattern and for
// everything below those that are folders: its path and, for a file, a hash of its bytes.
inline void ListFiles(const std::wstring& folder, const wchar_t* pattern, std::set<std::wstring>& lines) {
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
  if (!find) return;
  do {
    const std::wstring path = folder + L"\\" + found.cFileName;
    if (found.cFileName == std::wstring(L".") || found.cFileName == std::wstring(L"..")) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      lines.insert(path);
      ListFiles(path, L"*", lines);
    } else {
      lines.insert(path + L"|" + std::to_wstring(std::hash<std::string>{}(ReadFileBytes(path))));
    }
  } while (FindNextFileW(find.get(), &found));
}

// Where shortcuts go: the shortcuts on both desktops (Wine's user desktop is the
// home folder, whose other content changes by itself) and all of both Start menus.
inline std::set<std::wstring> ShortcutFiles() {
  std::set<std::wstring> lines;
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
    ListFiles(ShellFolder(csidl), L"*.lnk", lines);
  for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) ListFiles(ShellFolder(csidl), L"*", lines);
  return lines;
}

// Setup runs in a staged installation, starting with nothing stored from earlier
// runs; a run that applied something is undone by the uninstaller.
class SetupRun : public testing::Test {
 protected:
  explicit SetupRun(const std::wstring& folder) : install_(folder, {L"Bramix.exe", L"zpkext.dll", L"zpkext32.dll"}) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix");
  }
  void TearDown() override {
    program_.Kill();
    if (StoredDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"ShellExt")) install_.Uninstall();
  }

  // Starts the program with the switches and returns its first dialog.
  HWND OpenSetup(const std::wstring& args) {
    program_ = ChildProcess(install_.Exe(), args, install_.Folder());
    HWND dialog = program_.NextDialog();
    EXPECT_NE(nullptr, dialog) << "no dialog";
    return dialog;
  }
  HWND NextDialog(HWND shown, DWORD milliseconds) { return program_.NextDialog(shown, milliseconds); }
  // Confirms the settings dialog; the dialog that follows it, if any.
  HWND ConfirmSetup(HWND setup) {
    PressButton(setup, IDOK);
    return NextDialog(setup, kSetupTimeout);
  }
  DWORD WaitForEnd() {
    EXPECT_TRUE(program_.Wait(kSetupTimeout));
    return program_.ExitCode();
  }

  ProductStage install_;
  ChildProcess program_;
};
