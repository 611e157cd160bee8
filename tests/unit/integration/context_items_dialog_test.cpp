#include "integration/context_items_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kMenuItemsKey[] = L"Software\\Bramix\\Setup\\MenuItems";
constexpr wchar_t kTopMenuItemsKey[] = L"Software\\Bramix\\Setup\\TopMenuItems";

// The boxes of the regular menu, each with the value that stores it.
struct Item {
  int id;
  const wchar_t* value;
};

const Item kRegularItems[] = {
    {101, L"ExtrTo"},   {102, L"ExtrHere"}, {103, L"Extr"},       {104, L"ExtrSep"},    {105, L"OpenSFX"},
    {106, L"OpenArc"},  {107, L"AddTo"},    {108, L"AddArc"},     {109, L"EmailArc"},   {110, L"EmailOpt"},
    {111, L"Test"},     {112, L"Convert"},  {120, L"NewZPK"},     {121, L"NewZIP"},     {122, L"DragAdd"},
    {123, L"DragExtr"}, {124, L"SFXLocal"}, {125, L"SFXNetwork"}, {126, L"SFXOther"},
};

std::function<void(HWND)> driveDialog;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Hands the dialog of this thread, once it is there, to the test; then ends it as
// cancelled in case the test stopped before pressing a button.
void CALLBACK DriveDialogOnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  std::function<void(HWND)> drive = std::exchange(driveDialog, nullptr);
  drive(dialog);
  EndDialog(dialog, 0);
}

// Presses a control as a click of the user would.
void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class ContextItemsDialogTest : public RegistrySandbox {
 protected:
  // Opens the dialog as the settings dialog does, without the cascaded menu, and
  // hands it to `drive` once it shows. False when the dialog never showed.
  bool RunDialog(bool windows11, std::function<void(HWND)> drive) {
    const ScopedWindows11 system(windows11);
    bool driven = false;
    driveDialog = [&](HWND dialog) {
      driven = true;
      drive(dialog);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, DriveDialogOnTimer);
    ShowContextItemsDialog(nullptr, false);
    KillTimer(nullptr, timer);
    driveDialog = nullptr;
    return driven;
  }

  ScopedSettingsStore store_;
};

}  // namespace

TEST_F(ContextItemsDialogTest, EachBoxIsStoredUnderItsOwnValue) {
  for (const Item& item : kRegularItems) {
    SCOPED_TRACE(testing::Message() << "control " << item.id);
    ASSERT_TRUE(RunDialog(false, [&](HWND dialog) {
      for (const Item& other : kRegularItems) CheckDlgButton(dialog, other.id, BST_UNCHECKED);
      Click(dialog, item.id);
      Click(dialog, IDOK);
    }));
    for (const Item& other : kRegularItems) {
      const DWORD expected = other.id == item.id ? 1 : 0;
      EXPECT_EQ(expected, StoredDword(HKEY_CURRENT_USER, kMenuItemsKey, other.value)) << "control " << other.id;
    }
  }
}

TEST_F(ContextItemsDialogTest, CancelStoresNothing) {
  ASSERT_TRUE(RunDialog(true, [](HWND dialog) {
    Click(dialog, 115);
    Click(dialog, 120);
    SetDlgItemTextW(dialog, 127, L"*.img");
    Click(dialog, IDCANCEL);
  }));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMenuItemsKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTopMenuItemsKey));
}
