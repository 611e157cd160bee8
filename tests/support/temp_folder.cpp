#include "support/temp_folder.h"

#include "support/test_names.h"
#include "support/wine_program.h"

ScopedTempFolder::ScopedTempFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  root_ = std::wstring(temp) + L"unit_" + CurrentTestName();
  DeleteTree(Long(root_));
  ok_ = CreateDirectoryW(root_.c_str(), nullptr) != FALSE;
}

ScopedTempFolder::~ScopedTempFolder() {
  DeleteTree(Long(root_));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(root_.c_str())) << "left behind";
}
