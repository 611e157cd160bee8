// Times `Uninstall.exe /s` over a staged installation of 10,000 files in 1,000
// folders against two minimal programs that delete the same list, once with the
// files listed first (folders last, deepest first) and once with the folders first
// (parents before their contents). The uninstaller's time runs from its start to
// its end; the removal script that it leaves running (with its designed two-second
// wait) is timed apart. Usage: bench_uninstall_run.exe [repetitions]
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "environment/unique_handle.h"
#include "uninstall/uninstall_run.h"

namespace {

const std::wstring kRoot = L"C:\\BramixBench";
const std::wstring kFolder = kRoot + L"\\inst";
constexpr int kGroups = 100;          // top-level folders
constexpr int kSubfolders = 9;        // folders inside each of them: 1,000 folders in all
constexpr int kFilesPerFolder = 10;   // 10,000 files

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::wstring BinFolder() {
  wchar_t buffer[MAX_PATH];
  std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\'));
}

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

// Makes the installation and its list; `filesFirst` chooses the list's order.
void Stage(bool filesFirst, const std::wstring& program) {
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
  CopyFileW(program.c_str(), (kFolder + L"\\Uninstall.exe").c_str(), FALSE);
  std::string list;
  auto add = [&list](const std::wstring& entry) { list += Narrow(entry) + "\r\n"; };
  if (filesFirst) {
    for (const std::wstring& file : files) add(file);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) add(*it);
  } else {
    for (const std::wstring& folder : folders) add(folder);
    for (const std::wstring& file : files) add(file);
  }
  add(L"Uninstall.exe");
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

// Runs one program to its end; the milliseconds from its start to its end.
double TimeProcess(const std::wstring& exe, const std::wstring& args) {
  std::wstring commandLine = L"\"" + exe + L"\" " + args;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  Clock::time_point start = Clock::now();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, kRoot.c_str(), &startup,
                      &info)) {
    fwprintf(stderr, L"cannot start %ls\n", exe.c_str());
    return -1;
  }
  UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  return MillisecondsSince(start);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Figures {
  std::vector<double> uninstaller, script, bare, attr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int repetitions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  const std::wstring bin = BinFolder();
  const std::wstring uninstaller = bin + L"\\Uninstall.exe";
  const std::wstring bare = bin + L"\\bench_ref_bare_delete.exe";
  const std::wstring attr = bin + L"\\bench_ref_attr_delete.exe";

  wprintf(L"%d files in %d folders, %d repetitions; milliseconds, medians\n", kGroups * (kSubfolders + 1) *
          kFilesPerFolder, kGroups * (kSubfolders + 1), repetitions);
  wprintf(L"%-12ls %12ls %12ls %12ls %10ls %10ls %12ls %7ls\n", L"list", L"uninstaller", L"ref bare", L"ref attr",
          L"/bare", L"/attr", L"script", L"passes");
  for (bool filesFirst : {true, false}) {
    Figures figures;
    for (int r = 0; r < repetitions; ++r) {
      Stage(filesFirst, uninstaller);
      double run = TimeProcess(kFolder + L"\\Uninstall.exe", L"/s");
      Clock::time_point scriptStart = Clock::now();
      while (ProcessRunning(L"cmd.exe")) Sleep(5);
      figures.uninstaller.push_back(run);
      figures.script.push_back(MillisecondsSince(scriptStart));
      if (GetFileAttributesW(kFolder.c_str()) != INVALID_FILE_ATTRIBUTES)
        fwprintf(stderr, L"the installation folder is still there after the uninstaller\n");

      Stage(filesFirst, uninstaller);
      figures.bare.push_back(TimeProcess(bare, L"\"" + kFolder + L"\""));
      Stage(filesFirst, uninstaller);
      figures.attr.push_back(TimeProcess(attr, L"\"" + kFolder + L"\""));
    }
    // The passes, counted by the same removal in this process.
    Stage(filesFirst, uninstaller);
    FILE* list = _wfopen((kFolder + L"\\Uninstall.lst").c_str(), L"rb");
    std::string bytes;
    for (int c; (c = fgetc(list)) != EOF;) bytes.push_back(static_cast<char>(c));
    fclose(list);
    std::vector<std::wstring> entries = ReadListEntries(bytes);
    RemovalOutcome outcome = RemoveListedEntries(entries, kFolder + L"\\", L"Uninstall.exe");
    DeleteTree(kFolder);

    double u = Median(figures.uninstaller), b = Median(figures.bare), a = Median(figures.attr);
    wprintf(L"%-12ls %12.1f %12.1f %12.1f %10.3f %10.3f %12.1f %7d\n", filesFirst ? L"files first" : L"folders first",
            u, b, a, u / b, u / a, Median(figures.script), outcome.Passes);
  }
  RemoveDirectoryW(kRoot.c_str());
  return 0;
}
