#pragma once
// One file read or written whole. A create or open that fails is retried with the
// long-path form; a read refused for its size is retried smaller; a file made by
// Create that is still open when the object goes away is removed.
#include <windows.h>

#include <cstdint>
#include <string>

#include "environment/unique_handle.h"

class DiskFile {
 public:
  DiskFile() = default;
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;
  ~DiskFile();

  // Opens an existing file for reading; others may read, and also write when
  // `shared` is set.
  bool Open(const std::wstring& name, bool shared);
  // Creates or empties a file for writing.
  bool Create(const std::wstring& name);
  // Bytes read: 0 at the end and after a read error (from then on always 0);
  // -1 for a failure when errors are suppressed.
  int64_t Read(void* buffer, uint32_t count);
  // True when every byte was written; a count of 0 succeeds at once.
  bool Write(const void* buffer, uint32_t count);
  void Seek(int64_t offset, DWORD method);
  // The position, or -1 when it cannot be read.
  int64_t Tell();
  // The length; the position is kept.
  int64_t FileLength();
  bool IsOpened() const { return static_cast<bool>(handle_); }
  // True on success, and when nothing was open.
  bool Close();
  void SuppressErrors() { errorReports_ = false; }

 private:
  int64_t DirectRead(void* buffer, uint32_t count);

  UniqueFile handle_;
  std::wstring name_;
  bool created_ = false;
  bool errorReports_ = true;
  bool readFailed_ = false;
};
