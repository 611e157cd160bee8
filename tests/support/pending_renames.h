#pragma once
// Deletions scheduled for the next Windows start: MoveFileExW with
// MOVEFILE_DELAY_UNTIL_REBOOT adds "\??\<path>" to a value of the session manager.
#include <windows.h>

#include <string>

inline constexpr wchar_t kSessionManagerKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";
inline constexpr wchar_t kPendingRenamesValue[] = L"PendingFileRenameOperations";

// The value's strings, each ended by NUL; empty when the value is missing.
inline std::wstring PendingRenames() {
  std::wstring value(32768, L'\0');
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenamesValue, RRF_RT_REG_MULTI_SZ, nullptr,
                   value.data(), &size))
    return L"";
  value.resize(size / sizeof(wchar_t));
  return value;
}

// Where `path` stands among the deletions scheduled for the next start; npos when it is not there.
inline size_t ScheduledAt(const std::wstring& path) {
  return (L'\0' + PendingRenames()).find(std::wstring(1, L'\0') + L"\\??\\" + path + L'\0');
}
inline bool ScheduledAtRestart(const std::wstring& path) { return ScheduledAt(path) != std::wstring::npos; }

// Puts the scheduled deletions back as they were when it was made.
class ScopedPendingRenames {
 public:
  ScopedPendingRenames() : saved_(PendingRenames()) {}
  ~ScopedPendingRenames() {
    if (saved_.empty())
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenamesValue);
    else
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenamesValue, REG_MULTI_SZ, saved_.data(),
                      static_cast<DWORD>(saved_.size() * sizeof(wchar_t)));
  }
  ScopedPendingRenames(const ScopedPendingRenames&) = delete;
  ScopedPendingRenames& operator=(const ScopedPendingRenames&) = delete;

 private:
  std::wstring saved_;
};
