#pragma once
// Starting the real Uninstall.exe (and helper programs) from a test, waiting for
// it, and driving its windows: message boxes and dialogs are found by process,
// read through their controls and answered with button clicks.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "environment/unique_handle.h"

// The folder of the running test program, where Uninstall.exe and the helper
// programs are built.
std::wstring TestBinFolder();
std::wstring BuiltUninstallExe();
// The path of a shell folder (a CSIDL_ value), empty when the prefix has none.
std::wstring ShellFolder(int csidl);

class ChildProcess {
 public:
  // Starts `exe` with the command line "\"exe\" args", in `currentDir` when not empty.
  bool Start(const std::wstring& exe, const std::wstring& args, const std::wstring& currentDir = L"");
  DWORD Pid() const { return pid_; }
  // True when the process ended within the time.
  bool Wait(DWORD milliseconds);
  // The exit code, or STILL_ACTIVE.
  DWORD ExitCode() const;
  // Ends the process if it still runs; the destructor does the same.
  void Kill();
  ~ChildProcess();

 private:
  UniqueKernelHandle process_;
  DWORD pid_ = 0;
};

// Starts `exe` with `args` (in `currentDir` when not empty), waits for it and then for
// every cmd.exe (its removal script), and gives its exit code; a failed start or a
// time-out fails the test, and the code is then STILL_ACTIVE.
DWORD RunToTheEnd(const std::wstring& exe, const std::wstring& args, const std::wstring& currentDir = L"");

// Sets (or, with null, removes) an environment variable of the test process, which
// child processes inherit, and restores the old value when it goes away.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const wchar_t* name, const wchar_t* value);
  ~ScopedEnvVar();

 private:
  std::wstring name_;
  std::wstring old_;
  bool hadOld_ = false;
};

// The first visible top-level window of the process with this class ("#32770" for
// dialogs and message boxes), waiting up to the time; null when none appeared.
HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD milliseconds);
std::wstring WindowText(HWND window);
// The text of the dialog control with this id (0xFFFF is a message box's text).
std::wstring ControlText(HWND dialog, int id);
// Clicks a button of a dialog or message box (IDYES, IDNO, IDOK...).
void PressButton(HWND dialog, int id);
// Waits until no process with this executable name (case-insensitive, such as
// "cmd.exe") runs any more; false on time-out.
bool WaitForProcessesToEnd(const wchar_t* exeName, DWORD milliseconds);

// An installation folder staged for one test: Uninstall.exe copied in, files and
// the installation list written on request. What is left at the end is removed.
class StagedInstallation {
 public:
  // `folder` is a full path; it is emptied and made again.
  explicit StagedInstallation(const std::wstring& folder);
  ~StagedInstallation();
  const std::wstring& Folder() const { return folder_; }
  std::wstring Path(const std::wstring& relative) const;
  std::wstring Exe() const { return Path(L"Uninstall.exe"); }
  // Writes a file (parents made as needed) with the given bytes.
  void WriteFile(const std::wstring& relative, const std::string& bytes) const;
  // Writes Uninstall.lst as ANSI text, the lines as given, each ended by CR LF.
  void WriteList(const std::vector<std::wstring>& lines) const;
  bool Exists(const std::wstring& relative) const;

 private:
  std::wstring folder_;
};

// A file beside the test program, where the code under test looks for the program's
// own files: empty, or a copy of another file there; deleted again when it goes. A
// file of that name already there (a built one, such as the help file) is moved aside
// meanwhile and put back afterwards.
class ScopedProgramFile {
 public:
  explicit ScopedProgramFile(const std::wstring& name, const wchar_t* copyOf = nullptr);
  ~ScopedProgramFile();
  ScopedProgramFile(const ScopedProgramFile&) = delete;
  ScopedProgramFile& operator=(const ScopedProgramFile&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
  std::wstring keptAside_;
};

// Makes zpklng.dll in the installation: a resource-only copy of its Uninstall.exe
// whose string table holds just these texts under their ids. False when it could not
// be made.
bool WriteLanguageLibrary(const StagedInstallation& install, const std::map<UINT, std::wstring>& strings);

// Deletes a folder with everything in it (read-only files included); ignores failures.
void DeleteTree(const std::wstring& folder);
