// Times applying an all-on integration record (and writing the Add/Remove Programs
// entry) and removing it all again, against a bare loop that makes the same
// registry calls directly: the calls the code makes are recorded once, through its
// import table, and replayed by the loop with the same keys, names and data, and
// with nothing else around them. The loop is the limit that the registry itself
// sets; what the program spends beyond it is its own logic, the shortcuts (shell
// link objects and their files) and the New-menu template files.
//
// The program is meant to lie in a staged installation folder with the files the
// shortcuts point at (tools/bench-apply.sh stages it). It changes the registry and
// the shell folders of the prefix it runs in, and gives them back at the end of
// each repetition.
//
// Usage: bench_apply_integration.exe [repetitions]
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "integration/apply_integration.h"
#include "integration/options_storage.h"
#include "support/import_patch.h"
#include "uninstall/install_record.h"
#include "uninstall/registration_cleanup.h"

namespace {

using Clock = std::chrono::steady_clock;

// One registry call (or shell notice) as the code made it. Keys the code opened are numbered in the
// order they were opened; predefined keys (HKEY_CLASSES_ROOT...) keep their value.
enum class Operation { Open, Create, Close, SetValue, QueryValue, DeleteValue, DeleteKey, EnumKey, QueryInfo, Notify };

struct Call {
  Operation operation;
  HKEY key;          // a predefined key, or the number of an opened one
  std::wstring name;  // subkey or value name
  bool hasName = true;
  REGSAM access = 0;
  DWORD type = 0;
  DWORD index = 0;
  std::vector<BYTE> data;  // what was written, or room for what was read
  HKEY result = nullptr;   // the number given to the key opened or made
};

std::vector<Call> gCalls;
std::map<HKEY, HKEY> gNumbers;  // live key -> its number
ULONG_PTR gNextNumber = 1;

bool IsPredefined(HKEY key) { return reinterpret_cast<ULONG_PTR>(key) >= 0x80000000; }

HKEY Number(HKEY key) {
  if (IsPredefined(key)) return key;
  const auto found = gNumbers.find(key);
  return found != gNumbers.end() ? found->second : nullptr;
}

void Record(Call call) { gCalls.push_back(std::move(call)); }

Call NamedCall(Operation operation, HKEY key, const wchar_t* name) {
  Call call{operation, Number(key)};
  call.hasName = name != nullptr;
  if (name) call.name = name;
  return call;
}

void RecordOpened(Call call, LSTATUS status, HKEY* opened) {
  if (status == ERROR_SUCCESS) {
    call.result = reinterpret_cast<HKEY>(gNextNumber++);
    gNumbers[*opened] = call.result;
  }
  Record(std::move(call));
}

// The recorders call advapi32 itself: the import table they would go through is
// the patched one.
template <class Function>
Function Real(Function, const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), name)));
}
#define REAL(function) Real(&function, #function)
const auto realOpen = REAL(RegOpenKeyExW);
const auto realCreate = REAL(RegCreateKeyExW);
const auto realClose = REAL(RegCloseKey);
const auto realSetValue = REAL(RegSetValueExW);
const auto realQueryValue = REAL(RegQueryValueExW);
const auto realDeleteValue = REAL(RegDeleteValueW);
const auto realDeleteKey = REAL(RegDeleteKeyW);
const auto realDeleteKeyEx = REAL(RegDeleteKeyExW);
const auto realEnumKey = REAL(RegEnumKeyExW);
const auto realQueryInfo = REAL(RegQueryInfoKeyW);
const auto realNotify = reinterpret_cast<decltype(&SHChangeNotify)>(
    reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"shell32.dll"), "SHChangeNotify")));

LSTATUS WINAPI RecordOpen(HKEY key, LPCWSTR sub, DWORD options, REGSAM access, PHKEY opened) {
  const LSTATUS status = realOpen(key, sub, options, access, opened);
  Call call = NamedCall(Operation::Open, key, sub);
  call.access = access;
  RecordOpened(std::move(call), status, opened);
  return status;
}

LSTATUS WINAPI RecordCreate(HKEY key, LPCWSTR sub, DWORD, LPWSTR keyClass, DWORD options, REGSAM access,
                            const LPSECURITY_ATTRIBUTES security, PHKEY made, LPDWORD disposition) {
  const LSTATUS status = realCreate(key, sub, 0, keyClass, options, access, security, made, disposition);
  Call call = NamedCall(Operation::Create, key, sub);
  call.access = access;
  RecordOpened(std::move(call), status, made);
  return status;
}

LSTATUS WINAPI RecordClose(HKEY key) {
  Record(Call{Operation::Close, Number(key)});
  gNumbers.erase(key);
  return realClose(key);
}

LSTATUS WINAPI RecordSetValue(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD bytes) {
  Call call = NamedCall(Operation::SetValue, key, name);
  call.type = type;
  call.data.assign(data, data + bytes);
  Record(std::move(call));
  return realSetValue(key, name, 0, type, data, bytes);
}

LSTATUS WINAPI RecordQueryValue(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD bytes) {
  Call call = NamedCall(Operation::QueryValue, key, name);
  call.data.resize(bytes ? *bytes : 0);
  Record(std::move(call));
  return realQueryValue(key, name, nullptr, type, data, bytes);
}

LSTATUS WINAPI RecordDeleteValue(HKEY key, LPCWSTR name) {
  Record(NamedCall(Operation::DeleteValue, key, name));
  return realDeleteValue(key, name);
}

LSTATUS WINAPI RecordDeleteKey(HKEY key, LPCWSTR sub) {
  Record(NamedCall(Operation::DeleteKey, key, sub));
  return realDeleteKey(key, sub);
}

LSTATUS WINAPI RecordDeleteKeyEx(HKEY key, LPCWSTR sub, REGSAM access, DWORD) {
  Call call = NamedCall(Operation::DeleteKey, key, sub);
  call.access = access;
  Record(std::move(call));
  return realDeleteKeyEx(key, sub, access, 0);
}

LSTATUS WINAPI RecordEnumKey(HKEY key, DWORD index, LPWSTR name, LPDWORD chars, LPDWORD, LPWSTR keyClass,
                             LPDWORD classChars, PFILETIME written) {
  Call call{Operation::EnumKey, Number(key)};
  call.index = index;
  call.data.resize(*chars * sizeof(wchar_t));
  Record(std::move(call));
  return realEnumKey(key, index, name, chars, nullptr, keyClass, classChars, written);
}

LSTATUS WINAPI RecordQueryInfo(HKEY key, LPWSTR keyClass, LPDWORD classChars, LPDWORD, LPDWORD subKeys,
                               LPDWORD maxSubKey, LPDWORD maxClass, LPDWORD values, LPDWORD maxValueName,
                               LPDWORD maxValue, LPDWORD security, PFILETIME written) {
  Record(Call{Operation::QueryInfo, Number(key)});
  return realQueryInfo(key, keyClass, classChars, nullptr, subKeys, maxSubKey, maxClass, values, maxValueName,
                          maxValue, security, written);
}

// The shell hears that associations changed; the notice is what makes Explorer
// read them again, so it belongs to the job as much as the registry calls.
void WINAPI RecordNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2) {
  Call call{Operation::Notify, nullptr};
  call.index = static_cast<DWORD>(event);
  call.type = flags;
  Record(std::move(call));
  realNotify(event, flags, item1, item2);
}

// Every registry function the program's code imports, and the shell's notice,
// pointed at their recorders.
class RegistryRecorder {
 public:
  RegistryRecorder() {
    for (const auto& [name, recorder] : kRecorders) patches_.emplace_back(name, recorder);
  }
  bool Complete() const {
    return std::all_of(patches_.begin(), patches_.end(), [](const auto& patch) { return patch.Patched(); });
  }

 private:
  struct Recorder {
    const char* name;
    void* function;
  };
  static inline const Recorder kRecorders[] = {
      {"RegOpenKeyExW", reinterpret_cast<void*>(RecordOpen)},
      {"RegCreateKeyExW", reinterpret_cast<void*>(RecordCreate)},
      {"RegCloseKey", reinterpret_cast<void*>(RecordClose)},
      {"RegSetValueExW", reinterpret_cast<void*>(RecordSetValue)},
      {"RegQueryValueExW", reinterpret_cast<void*>(RecordQueryValue)},
      {"RegDeleteValueW", reinterpret_cast<void*>(RecordDeleteValue)},
      {"RegDeleteKeyW", reinterpret_cast<void*>(RecordDeleteKey)},
      {"RegDeleteKeyExW", reinterpret_cast<void*>(RecordDeleteKeyEx)},
      {"RegEnumKeyExW", reinterpret_cast<void*>(RecordEnumKey)},
      {"RegQueryInfoKeyW", reinterpret_cast<void*>(RecordQueryInfo)},
      {"SHChangeNotify", reinterpret_cast<void*>(RecordNotify)},
  };
  std::list<ScopedImportPatch> patches_;
};

// Makes the recorded calls again, straight to advapi32, with the keys they opened;
// the shell notices too when `notices` is set.
void Replay(const std::vector<Call>& calls, bool notices) {
  std::map<HKEY, HKEY> keys;  // number -> live key
  const auto live = [&keys](HKEY key) { return IsPredefined(key) ? key : keys[key]; };
  std::vector<BYTE> buffer(65536);
  for (const Call& call : calls) {
    const wchar_t* name = call.hasName ? call.name.c_str() : nullptr;
    HKEY key = live(call.key);
    HKEY opened = nullptr;
    DWORD bytes = static_cast<DWORD>(std::min(call.data.size(), buffer.size()));
    DWORD type = 0;
    switch (call.operation) {
      case Operation::Open:
        if (realOpen(key, name, 0, call.access, &opened) == ERROR_SUCCESS) keys[call.result] = opened;
        break;
      case Operation::Create:
        if (realCreate(key, name, 0, nullptr, 0, call.access, nullptr, &opened, nullptr) == ERROR_SUCCESS)
          keys[call.result] = opened;
        break;
      case Operation::Close:
        realClose(key);
        break;
      case Operation::SetValue:
        realSetValue(key, name, 0, call.type, call.data.data(), static_cast<DWORD>(call.data.size()));
        break;
      case Operation::QueryValue:
        realQueryValue(key, name, nullptr, &type, call.data.empty() ? nullptr : buffer.data(), &bytes);
        break;
      case Operation::DeleteValue:
        realDeleteValue(key, name);
        break;
      case Operation::DeleteKey:
        if (call.access)
          realDeleteKeyEx(key, name, call.access, 0);
        else
          realDeleteKey(key, name);
        break;
      case Operation::EnumKey:
        bytes /= sizeof(wchar_t);
        realEnumKey(key, call.index, reinterpret_cast<wchar_t*>(buffer.data()), &bytes, nullptr, nullptr, nullptr,
                    nullptr);
        break;
      case Operation::QueryInfo:
        realQueryInfo(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr);
        break;
      case Operation::Notify:
        if (notices) realNotify(static_cast<LONG>(call.index), call.type, nullptr, nullptr);
        break;
    }
  }
}

IntegrationOptions AllOn(bool shortcuts) {
  IntegrationOptions all;
  for (bool& format : all.Formats) format = true;
  all.Desktop = all.StartMenu = all.Programs = shortcuts;
  all.ShellExt = all.CascadedMenu = all.MenuIcons = all.LegacyMenu = all.ExtAll = true;
  return all;
}

// What a confirmed setup does, then what the uninstall run does to the registry.
void ApplyAndRemove(const IntegrationOptions& record) {
  SaveIntegrationOptions(record);
  ApplyIntegration(record);
  WriteUninstallEntry();
  RemoveRegistrations();
}

template <class Work>
double Milliseconds(Work work) {
  const Clock::time_point start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> runs) {
  std::sort(runs.begin(), runs.end());
  const size_t middle = runs.size() / 2;
  return runs.size() % 2 ? runs[middle] : (runs[middle - 1] + runs[middle]) / 2;
}

void PrintRow(const wchar_t* what, const std::vector<double>& runs, double bare) {
  const double median = Median(runs);
  wprintf(L"  %-52ls %9.1f %6.2f %9.1f %9.1f\n", what, median, median / bare,
          *std::min_element(runs.begin(), runs.end()), *std::max_element(runs.begin(), runs.end()));
}

void PrintCounts(const std::vector<Call>& calls) {
  std::map<Operation, int> counts;
  for (const Call& call : calls) ++counts[call.operation];
  const wchar_t* names[] = {L"open",       L"create",         L"close",     L"set value", L"query value",
                            L"delete value", L"delete key", L"enumerate keys", L"query key", L"shell notice"};
  wprintf(L"calls of one apply and removal: %zu (", calls.size());
  for (const auto& [operation, count] : counts) wprintf(L" %ls %d", names[static_cast<int>(operation)], count);
  wprintf(L" )\n");
}

// The calls one apply and removal of `record` makes, recorded after a first round
// that finds the Windows version and the shell folders.
bool RecordCalls(const IntegrationOptions& record, std::vector<Call>& calls) {
  ApplyAndRemove(record);
  gCalls.clear();
  const RegistryRecorder recorder;
  if (!recorder.Complete()) return false;
  ApplyAndRemove(record);
  calls = gCalls;
  return true;
}

// Times the record's apply and removal beside the bare loops, taking turns.
void Compare(const wchar_t* title, const IntegrationOptions& record, int repetitions) {
  std::vector<Call> calls;
  if (!RecordCalls(record, calls)) {
    fwprintf(stderr, L"a registry function is missing from the import table\n");
    return;
  }
  wprintf(L"\n%ls\n", title);
  PrintCounts(calls);
  std::vector<double> bare, withNotices, program;
  for (int i = 0; i < repetitions; ++i) {
    bare.push_back(Milliseconds([&] { Replay(calls, false); }));
    withNotices.push_back(Milliseconds([&] { Replay(calls, true); }));
    program.push_back(Milliseconds([&] { ApplyAndRemove(record); }));
  }
  wprintf(L"  %-52ls %9ls %6ls %9ls %9ls\n", L"", L"median", L"ratio", L"fastest", L"slowest");
  const double limit = Median(bare);
  PrintRow(L"bare loop of the same registry calls", bare, limit);
  PrintRow(L"the same, and the same shell notices", withNotices, limit);
  PrintRow(L"apply and remove through the program", program, limit);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int repetitions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  if (FAILED(OleInitialize(nullptr))) return 2;
  wprintf(L"%d repetitions; milliseconds, the median's ratio to the bare registry loop's\n", repetitions);
  Compare(L"all-on record without shortcuts", AllOn(false), repetitions);
  Compare(L"all-on record with the desktop, Start-menu and program-group shortcuts", AllOn(true), repetitions);
  OleUninitialize();
  return 0;
}
