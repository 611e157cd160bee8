// The language loader hands the language's reading direction to the message boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "environment/messages.h"
#include "environment/temp_folder.h"
#include "environment/unique_handle.h"
#include "localization/language_file.h"
#include "support/import_patch.h"
#include "support/scoped_state.h"

namespace {

UINT shownFlags = 0;
int WINAPI RecordFlags(HWND, LPCWSTR, LPCWSTR, UINT flags) {
  shownFlags = flags;
  return IDOK;
}

// Loading a right-to-left language mirrors the whole process; this puts the old layout back.
class ScopedProcessLayout {
 public:
  ScopedProcessLayout() { GetProcessDefaultLayout(&saved_); }
  ~ScopedProcessLayout() { SetProcessDefaultLayout(saved_); }
  ScopedProcessLayout(const ScopedProcessLayout&) = delete;
  ScopedProcessLayout& operator=(const ScopedProcessLayout&) = delete;

 private:
  DWORD saved_ = 0;
};

}  // namespace

TEST(LanguageLoader, RightToLeftLanguageMakesMessageBoxesReadRightToLeft) {
  const ScopedLanguageTable texts;
  const ScopedMessageReadingDirection leftToRight(false);
  const ScopedProcessLayout layout;
  const std::wstring path = GetSystemTempFolder() + L"reading_direction_test.lng";
  const std::string file = "***messages**\r\n:DIRECTION RTL\r\nIDS_UNINSTALLZPK Remove Bramix\r\n";
  UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  ASSERT_TRUE(out && WriteFile(out.get(), file.data(), static_cast<DWORD>(file.size()), &written, nullptr));
  out.reset();
  LoadLanguage(path.c_str());
  DeleteFileW(path.c_str());
  ScopedImportPatch recorder("MessageBoxW", reinterpret_cast<void*>(&RecordFlags));
  ASSERT_TRUE(recorder.Patched());
  ShowMessage(nullptr, L"text", L"caption", MB_OK);
  EXPECT_EQ(static_cast<UINT>(MB_RTLREADING | MB_RIGHT), shownFlags);
}
