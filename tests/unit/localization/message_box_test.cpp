#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "environment/messages.h"
#include "localization/language_table.h"
#include "localization/strings.h"
#include "unit/localization/language_test_files.h"

namespace {

UINT shownFlags = 0;
int WINAPI RecordMessageBox(HWND, LPCWSTR, LPCWSTR, UINT flags) {
  shownFlags = flags;
  return IDYES;
}

// Points this program's import of MessageBoxW at RecordMessageBox while it lives.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name; ++d) {
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
      for (; d->OriginalFirstThunk && names->u1.AddressOfData; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "MessageBoxW") == 0)
          slot_ = reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
    if (slot_) original_ = Write(reinterpret_cast<void*>(&RecordMessageBox));
  }
  ~MessageBoxRecorder() {
    if (slot_) Write(original_);
  }
  bool Active() const { return slot_ != nullptr; }

 private:
  void* Write(void* value) {
    DWORD old;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
    void* previous = *slot_;
    *slot_ = value;
    VirtualProtect(slot_, sizeof(void*), old, &old);
    return previous;
  }
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace

TEST(ShowMessage, RightToLeftLanguagesReadAndAlignFromTheRight) {
  ClearLanguageTableAfter clear;
  MessageBoxRecorder recorder;
  ASSERT_TRUE(recorder.Active());
  TheLanguageTable().Clear();
  EXPECT_EQ(IDYES, ShowMessage(nullptr, L"text", L"caption", MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO));
  EXPECT_EQ(0x10024u, shownFlags);
  TheLanguageTable().RightToLeft = true;
  ShowMessage(nullptr, L"text", L"caption", MB_ICONINFORMATION);
  EXPECT_EQ(0x180040u, shownFlags);
}

TEST(KeepLeftToRightReading, OnlyMirroredLanguagesLoseRightToLeftReading) {
  ClearLanguageTableAfter clear;
  HWND edit = CreateWindowExW(WS_EX_RTLREADING, L"EDIT", L"*.zpk", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(nullptr, edit);
  TheLanguageTable().Clear();
  KeepLeftToRightReading(edit);
  EXPECT_TRUE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_RTLREADING);
  TheLanguageTable().RightToLeft = true;
  KeepLeftToRightReading(edit);
  EXPECT_FALSE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_RTLREADING);
  DestroyWindow(edit);
}

TEST(BoldFont, HeightFollowsTheScreenResolution) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(dpi, GetScreenDpiY());
  EXPECT_EQ(-(12 * dpi) / 96, GetBoldFontHeight());
  EXPECT_EQ(-12, BoldFontHeightForDpi(96));
  EXPECT_EQ(-12, BoldFontHeightForDpi(100));
  EXPECT_EQ(-15, BoldFontHeightForDpi(120));
  EXPECT_EQ(-18, BoldFontHeightForDpi(144));
}
