#pragma once
// A fresh folder under the Windows temporary folder for each test, removed with
// everything in it afterwards (names beyond the classic length limit included).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

// The "\\?\" form of a full path, for the test's own set-up and checks.
inline std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

class TempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    root_ = std::wstring(temp) + L"unit_" + std::wstring(name.begin(), name.end());
    DeleteTree(Long(root_));
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
  }
  void TearDown() override {
    DeleteTree(Long(root_));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(root_.c_str())) << "left behind";
  }
  std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }
  // Writes a file, making its folders first; works for any name.
  void WriteBytes(const std::wstring& path, const std::string& bytes) const {
    for (size_t i = root_.size() + 1; (i = path.find(L'\\', i)) != std::wstring::npos; ++i)
      CreateDirectoryW(Long(path.substr(0, i)).c_str(), nullptr);
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  std::string ReadBytes(const std::wstring& path) const {
    std::string bytes;
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
  }

  std::wstring root_;
};
