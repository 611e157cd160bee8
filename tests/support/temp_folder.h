#pragma once
// A fresh folder under the Windows temporary folder for each test, removed with
// everything in it afterwards (names beyond the classic length limit included).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "environment/paths.h"
#include "environment/temp_folder.h"
#include "support/file_bytes.h"
#include "support/test_names.h"
#include "support/wine_program.h"

// A test holds one as a member: the folder is made empty when the object is made
// and removed when it goes away. Ok() is false when the folder could not be made.
class ScopedTempFolder {
 public:
  ScopedTempFolder() : root_(GetSystemTempFolder() + L"unit_" + CurrentTestName()) {
    DeleteTree(Long(root_));
    ok_ = CreateDirectoryW(root_.c_str(), nullptr) != FALSE;
  }
  ~ScopedTempFolder() {
    DeleteTree(Long(root_));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(root_.c_str())) << "left behind";
  }
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;
  bool Ok() const { return ok_; }
  const std::wstring& Root() const { return root_; }
  std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }

 private:
  std::wstring root_;
  bool ok_ = false;
};

// Puts the current folder back when it goes.
class ScopedCurrentFolder {
 public:
  ScopedCurrentFolder() { GetCurrentFolder(saved_); }
  ~ScopedCurrentFolder() { SetCurrentFolder(saved_); }
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

 private:
  std::wstring saved_;
};

// The fixture for tests that need only a temporary folder.
class TempFolderTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.Ok()) << "no temporary folder"; }
  std::wstring Path(const std::wstring& relative) const { return folder_.Path(relative); }
  void WriteBytes(const std::wstring& path, const std::string& bytes) const {
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << testing::PrintToString(path);
  }

  ScopedTempFolder folder_;
  const std::wstring root_ = folder_.Root();
};
