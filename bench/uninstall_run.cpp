// Times `Uninstall.exe /s` over a staged installation of 10,000 files in 1,000
// folders against three minimal programs that delete the same list and against the
// NSIS uninstaller that a product team would pick instead, all in the same run.
// The list comes once with the files first (folders last, deepest first) and once
// with the folders first (parents before their contents, so more passes).
//
// The uninstaller is timed twice: its own process, from its start to its end, and
// its whole job, until its removal script has taken the installation folder away.
// That script first starts the uninstaller again with /wait, which sleeps two
// seconds by design; the whole job is shown with and without those 2,000 ms. The
// NSIS uninstaller hands its work to a copy of itself in the temporary folder and
// ends at once, so only its whole job, until the folder is gone, means anything.
//
// Usage: bench_uninstall_run.exe [repetitions]   (bench_peer_uninstall.exe beside it)
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "environment/unique_handle.h"

namespace {

const std::wstring kRoot = L"C:\\BramixBench";
const std::wstring kFolder = kRoot + L"\\inst";
constexpr int kGroups = 100;         // top-level folders
constexpr int kSubfolders = 9;       // folders inside each of them: 1,000 folders in all
constexpr int kFilesPerFolder = 10;  // 10,000 files
constexpr double kDesignedWaitMs = 2000;  // what `Uninstall.exe /wait` sleeps
constexpr DWORD kJobTimeoutMs = 120000;
const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::wstring BinFolder() {
  wchar_t buffer[MAX_PATH];
  std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\'));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find.get(), &data));
  }
  find.reset();
  RemoveDirectoryW(folder.c_str());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written;
  if (file) WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Makes the installation and its list, with `program` copied in as `programName`;
// `filesFirst` chooses the list's order.
void Stage(bool filesFirst, const std::wstring& program, const std::wstring& programName) {
  DeleteTree(kFolder);
  CreateDirectoryW(kRoot.c_str(), nullptr);
  CreateDirectoryW(kFolder.c_str(), nullptr);
  std::vector<std::wstring> folders, files;
  for (int g = 0; g < kGroups; ++g) {
    std::wstring group = L"g" + std::to_wstring(g);
    folders.push_back(group);
    for (int s = 1; s <= kSubfolders; ++s) folders.push_back(group + L"\\s" + std::to_wstring(s));
  }
  for (const std::wstring& folder : folders) {
    CreateDirectoryW((kFolder + L"\\" + folder).c_str(), nullptr);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      files.push_back(folder + L"\\file" + std::to_wstring(f) + L".dat");
      WriteBytes(kFolder + L"\\" + files.back(), "data");
    }
  }
  CopyFileW(program.c_str(), (kFolder + L"\\" + programName).c_str(), FALSE);
  std::string list;
  auto add = [&list](const std::wstring& entry) { list += Narrow(entry) + "\r\n"; };
  if (filesFirst) {
    for (const std::wstring& file : files) add(file);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) add(*it);
  } else {
    for (const std::wstring& folder : folders) add(folder);
    for (const std::wstring& file : files) add(file);
  }
  add(programName);
  WriteBytes(kFolder + L"\\Uninstall.lst", list);
}

bool ProcessRunning(const wchar_t* exeName) {
  UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  if (snapshot.get() == INVALID_HANDLE_VALUE || !Process32FirstW(snapshot.get(), &entry)) return false;
  do {
    if (_wcsicmp(entry.szExeFile, exeName) == 0) return true;
  } while (Process32NextW(snapshot.get(), &entry));
  return false;
}

void WaitWhileRunning(const wchar_t* exeName) {
  for (DWORD start = GetTickCount(); ProcessRunning(exeName) && GetTickCount() - start < kJobTimeoutMs;) Sleep(5);
}

struct Timing {
  double process = -1;  // from the start to the end of the started process
  double job = -1;      // from the start until the installation folder is gone
};

// Runs one program; with `untilFolderGone` it also waits until the installation
// folder has disappeared, whoever removes it.
Timing Time(const std::wstring& exe, const std::wstring& args, bool untilFolderGone) {
  std::wstring commandLine = L"\"" + exe + L"\" " + args;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  Timing timing;
  const Clock::time_point start = Clock::now();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, kRoot.c_str(), &startup,
                      &info)) {
    fwprintf(stderr, L"cannot start %ls\n", exe.c_str());
    return timing;
  }
  UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  timing.process = MillisecondsSince(start);
  if (!untilFolderGone) return timing;
  while (Exists(kFolder)) {
    if (MillisecondsSince(start) > kJobTimeoutMs) {
      fwprintf(stderr, L"%ls left the installation folder in place\n", exe.c_str());
      return timing;
    }
    Sleep(1);
  }
  timing.job = MillisecondsSince(start);
  return timing;
}

// The NSIS uninstaller leaves its copy in a ~nsu*.tmp folder of the temporary
// folder, scheduled for deletion at the next start; neither is wanted here.
void RemovePeerLeftovers(const std::wstring& savedRenames, bool hadRenames) {
  WaitWhileRunning(L"Un.exe");
  wchar_t temp[MAX_PATH];
  const std::wstring tempFolder(temp, GetTempPathW(MAX_PATH, temp));
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW((tempFolder + L"~nsu*.tmp").c_str(), &data));
  if (find) {
    do DeleteTree(tempFolder + data.cFileName);
    while (FindNextFileW(find.get(), &data));
  }
  if (hadRenames)
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, REG_MULTI_SZ, savedRenames.data(),
                    static_cast<DWORD>(savedRenames.size() * sizeof(wchar_t)));
  else
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames);
}

bool ReadPendingRenames(std::wstring& value) {
  value.assign(32768, L'\0');
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, RRF_RT_REG_MULTI_SZ, nullptr, value.data(),
                   &size) != ERROR_SUCCESS)
    return false;
  value.resize(size / sizeof(wchar_t));
  return true;
}

// The runs that finished (a failed run counts -1).
std::vector<double> Finished(std::vector<double> runs) {
  runs.erase(std::remove_if(runs.begin(), runs.end(), [](double v) { return v < 0; }), runs.end());
  std::sort(runs.begin(), runs.end());
  return runs;
}

double Median(const std::vector<double>& runs) {
  const std::vector<double> values = Finished(runs);
  const size_t n = values.size();
  if (n == 0) return -1;
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Figures {
  std::vector<double> bare, attr, attrIfSet, process, job, peer;
};

// One line: the median, its ratio to the bare loop's median, and the fastest and
// slowest run, which show how much the machine's load moved the figures.
void PrintRow(const wchar_t* what, const std::vector<double>& runs, double bare, double less = 0) {
  const std::vector<double> finished = Finished(runs);
  if (finished.empty()) {
    wprintf(L"  %-56ls no run finished\n", what);
    return;
  }
  const double median = Median(finished) - less;
  wprintf(L"  %-56ls %9.1f %6.2f %9.1f %9.1f\n", what, median, median / bare, finished.front() - less,
          finished.back() - less);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int repetitions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  const std::wstring bin = BinFolder();
  const std::wstring uninstaller = bin + L"\\Uninstall.exe";
  const std::wstring peer = bin + L"\\bench_peer_uninstall.exe";
  const std::wstring bare = bin + L"\\bench_ref_bare_delete.exe";
  const std::wstring attr = bin + L"\\bench_ref_attr_delete.exe";
  const std::wstring attrIfSet = bin + L"\\bench_ref_attr_if_set_delete.exe";
  if (!Exists(peer)) {
    fwprintf(stderr, L"%ls is missing: tools/bench-uninstall.sh builds it\n", peer.c_str());
    return 1;
  }
  std::wstring savedRenames;
  const bool hadRenames = ReadPendingRenames(savedRenames);
  const std::wstring folderArg = L"\"" + kFolder + L"\"";

  wprintf(L"%d files in %d folders, %d repetitions; milliseconds, the median's ratio to the bare loop's\n",
          kGroups * (kSubfolders + 1) * kFilesPerFolder, kGroups * (kSubfolders + 1), repetitions);
  for (bool filesFirst : {true, false}) {
    Figures figures;
    // Each program runs on a fresh copy of the installation; the order turns by one
    // with each repetition, so that a change in the machine's load falls on all alike.
    const std::vector<std::function<void()>> programs = {
        [&] {
          Stage(filesFirst, uninstaller, L"Uninstall.exe");
          figures.bare.push_back(Time(bare, folderArg, false).process);
        },
        [&] {
          Stage(filesFirst, uninstaller, L"Uninstall.exe");
          figures.attr.push_back(Time(attr, folderArg, false).process);
        },
        [&] {
          Stage(filesFirst, uninstaller, L"Uninstall.exe");
          figures.attrIfSet.push_back(Time(attrIfSet, folderArg, false).process);
        },
        [&] {
          Stage(filesFirst, uninstaller, L"Uninstall.exe");
          const Timing own = Time(kFolder + L"\\Uninstall.exe", L"/s", true);
          figures.process.push_back(own.process);
          figures.job.push_back(own.job);
          WaitWhileRunning(L"cmd.exe");
        },
        [&] {
          Stage(filesFirst, peer, L"uninst.exe");
          figures.peer.push_back(Time(kFolder + L"\\uninst.exe", L"/S", true).job);
          RemovePeerLeftovers(savedRenames, hadRenames);
        },
    };
    for (int r = 0; r < repetitions; ++r)
      for (size_t i = 0; i < programs.size(); ++i) programs[(r + i) % programs.size()]();
    const double b = Median(figures.bare);
    wprintf(L"%-58ls %9ls %6ls %9ls %9ls\n", filesFirst ? L"list with the files first" : L"list with the folders first",
            L"median", L"ratio", L"fastest", L"slowest");
    PrintRow(L"DeleteFileW loop", figures.bare, b);
    PrintRow(L"loop reading and always clearing the attributes", figures.attr, b);
    PrintRow(L"loop reading, clearing only read-only, hidden, system", figures.attrIfSet, b);
    PrintRow(L"Uninstall.exe /s, its own process", figures.process, b);
    PrintRow(L"Uninstall.exe /s, whole job until the folder is gone", figures.job, b);
    PrintRow(L"  the same less the designed 2,000 ms wait", figures.job, b, kDesignedWaitMs);
    PrintRow(L"NSIS uninstaller /S, whole job until the folder is gone", figures.peer, b);
  }
  DeleteTree(kFolder);
  RemoveDirectoryW(kRoot.c_str());
  return 0;
}
