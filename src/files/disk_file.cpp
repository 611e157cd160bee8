#include "files/disk_file.h"

#include "environment/paths.h"
#include "files/file_system.h"

namespace {

constexpr uint32_t kDeviceReadLimit = 20000;
constexpr uint32_t kLockedReadLimit = 32768;

template <typename Call>
HANDLE OpenWithLongPathRetry(const std::wstring& name, bool tryPlainName, Call call) {
  HANDLE handle = tryPlainName ? call(name.c_str()) : INVALID_HANDLE_VALUE;
  std::wstring longPath;
  if (handle == INVALID_HANDLE_VALUE && MakeLongPath(name, longPath)) handle = call(longPath.c_str());
  return handle;
}

}  // namespace

DiskFile::~DiskFile() {
  if (!handle_) return;
  handle_.reset();
  if (created_) RemoveFile(name_);
}

bool DiskFile::Open(const std::wstring& name, bool shared) {
  handle_.reset();
  DWORD sharing = FILE_SHARE_READ | (shared ? FILE_SHARE_WRITE : 0);
  HANDLE handle = OpenWithLongPathRetry(name, true, [&](const wchar_t* path) {
    return CreateFileW(path, GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  });
  created_ = false;
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_.reset(handle);
  name_ = name;
  readFailed_ = false;
  return true;
}

bool DiskFile::Create(const std::wstring& name) {
  handle_.reset();
  // Windows drops a last dot or space of a plain name; only the long form keeps it.
  wchar_t last = GetLastChar(name);
  bool tryPlainName = last != L'.' && last != L' ';
  HANDLE handle = OpenWithLongPathRetry(name, tryPlainName, [](const wchar_t* path) {
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  });
  handle_.reset(handle);
  created_ = true;
  name_ = name;
  readFailed_ = false;
  return static_cast<bool>(handle_);
}

int64_t DiskFile::DirectRead(void* buffer, uint32_t count) {
  DWORD read = 0;
  if (ReadFile(handle_.get(), buffer, count, &read, nullptr)) return read;
  DWORD error = GetLastError();
  DWORD type = GetFileType(handle_.get());
  // Pipes and character devices refuse large reads; a locked range refuses a
  // read that reaches it. Either is tried once more with a smaller size.
  if ((type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) && count > kDeviceReadLimit)
    return DirectRead(buffer, kDeviceReadLimit);
  if (count > kLockedReadLimit && error == ERROR_LOCK_VIOLATION) return DirectRead(buffer, kLockedReadLimit);
  return -1;
}

int64_t DiskFile::Read(void* buffer, uint32_t count) {
  if (readFailed_) return 0;
  int64_t read = DirectRead(buffer, count);
  if (read >= 0) return read;
  if (!errorReports_) return -1;
  if (handle_) readFailed_ = true;
  return 0;
}

bool DiskFile::Write(const void* buffer, uint32_t count) {
  if (count == 0) return true;
  DWORD written = 0;
  return WriteFile(handle_.get(), buffer, count, &written, nullptr) && written == count;
}

void DiskFile::Seek(int64_t offset, DWORD method) {
  if (!handle_) return;
  if (offset < 0 && method == FILE_CURRENT) {
    offset += Tell();
    method = FILE_BEGIN;
  } else if (offset < 0 && method == FILE_END) {
    offset += FileLength();
    method = FILE_BEGIN;
  }
  LONG high = static_cast<LONG>(offset >> 32);
  SetFilePointer(handle_.get(), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
}

int64_t DiskFile::Tell() {
  LONG high = 0;
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(handle_.get(), 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low);
}

int64_t DiskFile::FileLength() {
  int64_t position = Tell();
  Seek(0, FILE_END);
  int64_t end = Tell();
  Seek(position, FILE_BEGIN);
  return end;
}

bool DiskFile::Close() {
  if (!handle_) return true;
  return CloseHandle(handle_.release()) != FALSE;
}
