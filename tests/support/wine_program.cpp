#include "support/wine_program.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <memory>

#include "support/file_bytes.h"

std::wstring TestBinFolder() {
  wchar_t buffer[MAX_PATH * 4];
  DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
  std::wstring path(buffer, length);
  return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring BuiltUninstallExe() { return TestBinFolder() + L"\\Uninstall.exe"; }

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& args, const std::wstring& currentDir) {
  std::wstring commandLine = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  pid_ = info.dwProcessId;
  return true;
}

bool ChildProcess::Wait(DWORD milliseconds) {
  return process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_.get(), &code);
  return code;
}

void ChildProcess::Kill() {
  if (process_ && ExitCode() == STILL_ACTIVE) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 5000);
  }
}

ChildProcess::~ChildProcess() { Kill(); }

DWORD RunToTheEnd(const std::wstring& exe, const std::wstring& args, const std::wstring& currentDir) {
  ChildProcess program;
  EXPECT_TRUE(program.Start(exe, args, currentDir)) << testing::PrintToString(exe);
  EXPECT_TRUE(program.Wait(60000)) << testing::PrintToString(exe);
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", 60000));
  return program.ExitCode();
}

ScopedEnvVar::ScopedEnvVar(const wchar_t* name, const wchar_t* value) : name_(name) {
  DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed > 0) {
    old_.resize(needed);
    old_.resize(GetEnvironmentVariableW(name, old_.data(), needed));
    hadOld_ = true;
  }
  SetEnvironmentVariableW(name, value);
}

ScopedEnvVar::~ScopedEnvVar() { SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr); }

namespace {

struct WindowSearch {
  DWORD pid;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (pid == search->pid && IsWindowVisible(window) && wcscmp(className, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
  WindowSearch search{pid, className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindProcessWindow(pid, className)) {
      Sleep(200);  // let the dialog finish its initialisation
      return window;
    }
    if (GetTickCount() - start > milliseconds) return nullptr;
    Sleep(50);
  }
}

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(length + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), length + 1));
  return text;
}

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? WindowText(control) : std::wstring();
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitForProcessesToEnd(const wchar_t* exeName, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    bool running = false;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (snapshot.get() != INVALID_HANDLE_VALUE && Process32FirstW(snapshot.get(), &entry)) {
      do {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) running = true;
      } while (!running && Process32NextW(snapshot.get(), &entry));
    }
    if (!running) return true;
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(100);
  }
}

void DeleteTree(const std::wstring& folder) {
  DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
      do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") DeleteTree(folder + L"\\" + name);
      } while (FindNextFileW(find.get(), &data));
    }
    find.reset();
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
  } else {
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(folder.c_str());
  }
}

ScopedProgramFile::ScopedProgramFile(const std::wstring& name, const wchar_t* copyOf)
    : path_(TestBinFolder() + L"\\" + name) {
  // The name as the file system spells it, so that the file comes back under it.
  WIN32_FIND_DATAW found{};
  if (UniqueFindHandle(FindFirstFileW(path_.c_str(), &found))) {
    const std::wstring existing = TestBinFolder() + L"\\" + found.cFileName;
    if (MoveFileExW(existing.c_str(), (existing + L".kept").c_str(), MOVEFILE_REPLACE_EXISTING)) keptAside_ = existing;
  }
  if (copyOf)
    CopyFileW((TestBinFolder() + L"\\" + copyOf).c_str(), path_.c_str(), FALSE);
  else
    WriteFileBytes(path_, "");
}

ScopedProgramFile::~ScopedProgramFile() {
  DeleteFileW(path_.c_str());
  if (!keptAside_.empty())
    MoveFileExW((keptAside_ + L".kept").c_str(), keptAside_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

StagedInstallation::StagedInstallation(const std::wstring& folder) : folder_(folder) {
  DeleteTree(folder_);
  SHCreateDirectoryExW(nullptr, folder_.c_str(), nullptr);
  CopyFileW(BuiltUninstallExe().c_str(), Exe().c_str(), FALSE);
}

StagedInstallation::~StagedInstallation() { DeleteTree(folder_); }

std::wstring StagedInstallation::Path(const std::wstring& relative) const { return folder_ + L"\\" + relative; }

void StagedInstallation::WriteFile(const std::wstring& relative, const std::string& bytes) const {
  WriteFileBytes(Path(relative), bytes);
}

void StagedInstallation::WriteList(const std::vector<std::wstring>& lines) const {
  std::string bytes;
  for (const std::wstring& line : lines) {
    int size = WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(size > 0 ? size - 1 : 0);
    bytes += ansi + "\r\n";
  }
  WriteFile(L"Uninstall.lst", bytes);
}

bool StagedInstallation::Exists(const std::wstring& relative) const {
  return GetFileAttributesW(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteLanguageLibrary(const StagedInstallation& install, const std::map<UINT, std::wstring>& strings) {
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
