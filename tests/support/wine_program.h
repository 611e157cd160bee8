#pragma once
// Starting the real Uninstall.exe (and helper programs) from a test, waiting for it,
// and finding its dialogs and message boxes; an installation folder staged for it.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <map>
#include <string>
#include <vector>

#include "environment/unique_handle.h"
#include "support/file_bytes.h"

inline constexpr DWORD kProgramTimeout = 60000;

// The folder of the running test program, where Uninstall.exe and the helper programs are built.
inline std::wstring TestBinFolder() {
  wchar_t buffer[MAX_PATH * 4];
  const std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer))));
  return path.substr(0, path.find_last_of(L"\\/"));
}
inline std::wstring BuiltUninstallExe() { return TestBinFolder() + L"\\Uninstall.exe"; }

// The path of a shell folder (a CSIDL_ value), empty when the prefix has none.
inline std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

// Waits until no process with this executable name (case-insensitive, such as "cmd.exe")
// runs any more; false on time-out.
inline bool WaitForProcessesToEnd(const wchar_t* exeName, DWORD milliseconds) {
  for (const DWORD start = GetTickCount();; Sleep(100)) {
    bool running = false;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (bool more = Process32FirstW(snapshot.get(), &entry); more && !running;
         more = Process32NextW(snapshot.get(), &entry))
      running = _wcsicmp(entry.szExeFile, exeName) == 0;
    if (!running) return true;
    if (GetTickCount() - start > milliseconds) return false;
  }
}

// A program started by the test; it is ended, if it still runs, when the object goes.
class ChildProcess {
 public:
  ChildProcess() = default;
  // Starts `exe` with the command line "\"exe\" args", in `currentDir` when not empty;
  // a failed start fails the test.
  ChildProcess(const std::wstring& exe, const std::wstring& args, const std::wstring& currentDir = L"") {
    std::wstring commandLine = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    EXPECT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info))
        << testing::PrintToString(exe);
    UniqueKernelHandle thread(info.hThread);
    process_.reset(info.hProcess);
    pid_ = info.dwProcessId;
  }
  ~ChildProcess() { Kill(); }
  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = default;

  // True when the process ended within the time.
  bool Wait(DWORD milliseconds = kProgramTimeout) {
    return process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
  }
  // The exit code, or STILL_ACTIVE.
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
  }
  void Kill() {
    if (ExitCode() != STILL_ACTIVE) return;
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 5000);
  }
  // Its first visible dialog or message box other than `shown`; null when the process
  // ends or the time passes first.
  HWND NextDialog(HWND shown = nullptr, DWORD milliseconds = kProgramTimeout) {
    return NextWindow(L"#32770", shown, milliseconds);
  }
  // Its first visible top-level window of the class other than `shown`; null when the
  // process ends or the time passes first.
  HWND NextWindow(const wchar_t* className, HWND shown, DWORD milliseconds) {
    for (const DWORD start = GetTickCount(); !Wait(1) && GetTickCount() - start < milliseconds;) {
      WindowSearch search{pid_, className, shown};
      if (!EnumWindows(OtherWindow, reinterpret_cast<LPARAM>(&search))) {
        Sleep(200);  // lets the window finish its initialisation
        return search.Found;
      }
    }
    return nullptr;
  }

 private:
  struct WindowSearch {
    DWORD Pid;
    const wchar_t* ClassName;
    HWND Found;  // on entry the window to pass over
  };
  static BOOL CALLBACK OtherWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (pid != search.Pid || window == search.Found || !IsWindowVisible(window) ||
        wcscmp(className, search.ClassName) != 0)
      return TRUE;
    search.Found = window;
    return FALSE;
  }

  UniqueKernelHandle process_;
  DWORD pid_ = 0;
};

// Runs `exe` with `args` (in `currentDir` when not empty) to its end and then every
// cmd.exe (its removal script); the exit code. A time-out fails the test.
inline DWORD RunToTheEnd(const std::wstring& exe, const std::wstring& args, const std::wstring& currentDir = L"") {
  ChildProcess program(exe, args, currentDir);
  EXPECT_TRUE(program.Wait()) << testing::PrintToString(exe);
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kProgramTimeout));
  return program.ExitCode();
}

inline std::wstring WindowText(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}
// The text of the dialog control with this id (0xFFFF is a message box's text).
inline std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? WindowText(control) : std::wstring();
}
// Clicks a button of a dialog or message box (IDYES, IDNO, IDOK...) without waiting.
inline void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Sets (or, with null, removes) an environment variable of the test process, which
// child processes inherit; the old value comes back when it goes.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const wchar_t* name, const wchar_t* value) : name_(name) {
    old_.resize(GetEnvironmentVariableW(name, nullptr, 0));
    hadOld_ = !old_.empty();
    old_.resize(GetEnvironmentVariableW(name, old_.data(), static_cast<DWORD>(old_.size())));
    SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnvVar() { SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr); }

 private:
  std::wstring name_;
  std::wstring old_;
  bool hadOld_ = false;
};

// Deletes a folder with everything in it (read-only files included); ignores failures.
inline void DeleteTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW data;
  if (UniqueFindHandle find{FindFirstFileW((path + L"\\*").c_str(), &data)}) {
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") DeleteTree(path + L"\\" + name);
    } while (FindNextFileW(find.get(), &data));
  }
  RemoveDirectoryW(path.c_str());
}

// An empty file beside the test program, where the code under test looks for the
// program's own files; deleted when it goes. A name already there (a built file, such
// as the help file) fails the test and is left alone: deleting it would break every
// later test that needs it.
class ScopedProgramFile {
 public:
  explicit ScopedProgramFile(const std::wstring& name)
      : path_(TestBinFolder() + L"\\" + name), owned_(GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    EXPECT_TRUE(owned_) << testing::PrintToString(path_) << " is already there";
    if (owned_) WriteFileBytes(path_, "");
  }
  ~ScopedProgramFile() {
    if (owned_) DeleteFileW(path_.c_str());
  }
  ScopedProgramFile(const ScopedProgramFile&) = delete;
  ScopedProgramFile& operator=(const ScopedProgramFile&) = delete;

 private:
  std::wstring path_;
  bool owned_;
};

// An installation folder staged for one test, emptied and made again, with Uninstall.exe
// copied in; what is left at the end is removed.
class StagedInstallation {
 public:
  explicit StagedInstallation(const std::wstring& folder) : folder_(folder) {
    DeleteTree(folder_);
    SHCreateDirectoryExW(nullptr, folder_.c_str(), nullptr);
    CopyFileW(BuiltUninstallExe().c_str(), Exe().c_str(), FALSE);
  }
  ~StagedInstallation() { DeleteTree(folder_); }
  StagedInstallation(const StagedInstallation&) = delete;
  StagedInstallation& operator=(const StagedInstallation&) = delete;

  const std::wstring& Folder() const { return folder_; }
  std::wstring Path(const std::wstring& relative) const { return folder_ + L"\\" + relative; }
  std::wstring Exe() const { return Path(L"Uninstall.exe"); }
  bool Exists(const std::wstring& relative) const {
    return GetFileAttributesW(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  // Writes a file (parents made as needed) with the given bytes.
  void WriteFile(const std::wstring& relative, const std::string& bytes) const { WriteFileBytes(Path(relative), bytes); }
  // Writes Uninstall.lst as ANSI text, the lines as given, each ended by CR LF.
  void WriteList(const std::vector<std::wstring>& lines) const {
    std::string bytes;
    for (const std::wstring& line : lines) {
      std::string ansi(line.size() * 2, '\0');
      ansi.resize(WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), ansi.data(),
                                      static_cast<int>(ansi.size()), nullptr, nullptr));
      bytes += ansi + "\r\n";
    }
    WriteFile(L"Uninstall.lst", bytes);
  }

 private:
  std::wstring folder_;
};

// Makes zpklng.dll in the installation: a resource-only copy of its Uninstall.exe whose
// string table holds just these texts under their ids. False when it could not be made.
inline bool WriteLanguageLibrary(const StagedInstallation& install, const std::map<UINT, std::wstring>& strings) {
  const std::wstring library = install.Path(L"zpklng.dll");
  if (!CopyFileW(install.Exe().c_str(), library.c_str(), FALSE)) return false;
  HANDLE update = BeginUpdateResourceW(library.c_str(), TRUE);
  if (!update) return false;
  // A block holds 16 strings, each its length and then its units; block n starts at id (n - 1) * 16.
  std::map<UINT, std::wstring> blocks;
  for (const auto& [id, text] : strings) {
    std::wstring& block = blocks[id / 16 + 1];
    if (block.empty()) block.assign(16, L'\0');
    size_t at = 0;
    for (UINT slot = 0; slot < id % 16; ++slot) at += 1 + block[at];
    block[at] = static_cast<wchar_t>(text.size());
    block.insert(at + 1, text);
  }
  bool written = true;
  for (auto& [number, block] : blocks)
    written = written && UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(number), LANG_NEUTRAL, block.data(),
                                         static_cast<DWORD>(block.size() * sizeof(wchar_t)));
  return EndUpdateResourceW(update, !written) && written;
}
