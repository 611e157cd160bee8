#include "integration/context_items_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kMenuItemsKey[] = L"Software\\Bramix\\Setup\\MenuItems";
constexpr wchar_t kTopMenuItemsKey[] = L"Software\\Bramix\\Setup\\TopMenuItems";

enum Shown { kAlways, kRegularOnly, kSingleOnly };

// The items, each with the value that stores it and that value's default.

struct Control {
  int id;
  const wchar_t* text;
  Shown shown;
  const wchar_t* value = nullptr;  // the item's number, under TopMenuItems for kSingleOnly
  DWORD defaultValue = 0;
};

const Control kControls[] = {
    {101, L"&Estrai i file...", kRegularOnly, L"ExtrTo", 1},
    {102, L"Estrai &qui", kRegularOnly, L"ExtrHere", 1},
    {103, L"Estrai in <&cartella\\>", kRegularOnly, L"Extr", 1},
    {104, L"Estrai &ogni archivio in una cartella separata", kRegularOnly, L"ExtrSep", 1},
    {105, L"Apri con &Bramix (per archivi auto-estraenti)", kRegularOnly, L"OpenSFX", 1},
    {106, L"Apri con Bramix (per arc&hivi ordinari)", kRegularOnly, L"OpenArc", 1},
    {107, L"A&ggiungi ad un archivio...", kRegularOnly, L"AddTo", 1},
    {108, L"Agg&iungi all'archivio <nome_archivio>", kRegularOnly, L"AddArc", 1},
    {109, L"Co&mprimi in <nome_archivio> ed invia via email", kRegularOnly, L"EmailArc", 1},
    {110, L"Com&primi ed invia via email...", kRegularOnly, L"EmailOpt", 1},
    {111, L"&Verifica archivio", kRegularOnly, L"Test", 0},
    {112, L"Co&nverti archivio...", kRegularOnly, L"Convert", 0},
    {113, L"Estrai nella <cartella\\>", kSingleOnly, L"Extr", 1},
    {114, L"Estrai file...", kSingleOnly, L"ExtrTo", 0},
    {115, L"Estrai qui", kSingleOnly, L"ExtrHere", 0},
    {116, L"Estrai ogni archivio in una cartella separata", kSingleOnly, L"ExtrSep", 1},
    {117, L"Aggiungi a <nome_archivio>", kSingleOnly, L"AddArc", 1},
    {118, L"Aggiungi ad un archivio...", kSingleOnly, L"AddTo", 0},
    {120, L"Archivio Bramix", kAlways, L"NewZPK", 1},
    {121, L"Archivio ZIP Bramix", kAlways, L"NewZIP", 1},
    {122, L"Vi&sualizza le voci di archiviazione", kAlways, L"DragAdd", 1},
    {123, L"Vis&ualizza le voci d'estrazione", kAlways, L"DragExtr", 1},
    {124, L"Dischi &Locali", kAlways, L"SFXLocal", 1},
    {125, L"Dischi di &Rete", kAlways, L"SFXNetwork", 1},
    {126, L"Altri &Dispositivi", kAlways, L"SFXOther", 1},
};

bool IsRegularItem(const Control& control) { return control.value != nullptr && control.shown != kSingleOnly; }

struct Mode {
  const char* name;
  bool windows11;
  bool cascaded;
  bool single;
};
const Mode kWindows10 = {"Windows 10", false, false, false};
const Mode kWindows11Cascaded = {"Windows 11 with the cascaded menu", true, true, false};
const Mode kWindows11Single = {"Windows 11 without the cascaded menu", true, false, true};

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
  // Opens the dialog as the settings dialog does, in the given mode, and hands it
  // to `drive` once it shows. False when the dialog never showed.
  bool RunDialog(const Mode& mode, std::function<void(HWND)> drive) {
    const ScopedWindows11 windows11(mode.windows11);
    bool driven = false;
    driveDialog = [&](HWND dialog) {
      driven = true;
      drive(dialog);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, DriveDialogOnTimer);
    ShowContextItemsDialog(nullptr, mode.cascaded);
    KillTimer(nullptr, timer);
    driveDialog = nullptr;
    return driven;
  }

  ScopedSettingsStore store_;
};

}  // namespace

TEST_F(ContextItemsDialogTest, EachModeShowsItsItemsWithTheirTexts) {
  for (const Mode& mode : {kWindows10, kWindows11Cascaded, kWindows11Single}) {
    SCOPED_TRACE(mode.name);
    ASSERT_TRUE(RunDialog(mode, [&](HWND dialog) {
      EXPECT_EQ(L"Voci del menu contestuale", WindowText(dialog));
      for (const Control& control : kControls) {
        SCOPED_TRACE(testing::Message() << "control " << control.id);
        EXPECT_EQ(control.text, ControlText(dialog, control.id));
        const bool shown = control.shown == kAlways || (control.shown == kSingleOnly) == mode.single;
        EXPECT_EQ(shown, IsWindowVisible(GetDlgItem(dialog, control.id)) != FALSE);
      }
    }));
  }
}

TEST_F(ContextItemsDialogTest, TopGroupsTickTheirFirstNonZeroRowOnly) {
  struct Row {
    const char* name;
    std::vector<std::pair<const wchar_t*, DWORD>> stored;
    std::vector<int> ticked;
  };
  const Row rows[] = {
      {"nothing stored", {}, {113, 116, 117}},
      {"Extr=1 ExtrTo=1", {{L"Extr", 1}, {L"ExtrTo", 1}}, {113, 116, 117}},
      {"Extr=0 ExtrTo=0 ExtrHere=0", {{L"Extr", 0}, {L"ExtrTo", 0}, {L"ExtrHere", 0}}, {116, 117}},
      {"Extr=0 ExtrTo=0 ExtrHere=1", {{L"Extr", 0}, {L"ExtrTo", 0}, {L"ExtrHere", 1}}, {115, 116, 117}},
      {"ExtrSep=0 AddArc=0 AddTo=1", {{L"ExtrSep", 0}, {L"AddArc", 0}, {L"AddTo", 1}}, {113, 118}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTopMenuItemsKey);
    for (const auto& [name, number] : row.stored) PutDword(HKEY_CURRENT_USER, kTopMenuItemsKey, name, number);
    ASSERT_TRUE(RunDialog(kWindows11Single, [&](HWND dialog) {
      for (int id = 113; id <= 118; ++id) {
        const bool expected = std::find(row.ticked.begin(), row.ticked.end(), id) != row.ticked.end();
        EXPECT_EQ(expected, IsDlgButtonChecked(dialog, id) == BST_CHECKED) << "control " << id;
      }
    }));
  }
}

TEST_F(ContextItemsDialogTest, EachBoxIsStoredUnderItsOwnValue) {
  for (const Control& item : kControls) {
    if (!IsRegularItem(item)) continue;
    SCOPED_TRACE(testing::Message() << "control " << item.id);
    ASSERT_TRUE(RunDialog(kWindows10, [&](HWND dialog) {
      for (const Control& other : kControls)
        if (IsRegularItem(other)) CheckDlgButton(dialog, other.id, BST_UNCHECKED);
      Click(dialog, item.id);
      Click(dialog, IDOK);
    }));
    for (const Control& other : kControls) {
      if (!IsRegularItem(other)) continue;
      const DWORD expected = other.id == item.id ? 1 : 0;
      EXPECT_EQ(expected, StoredDword(HKEY_CURRENT_USER, kMenuItemsKey, other.value)) << "control " << other.id;
    }
  }
}

TEST_F(ContextItemsDialogTest, ConfirmingInSingleModeWritesHiddenItemsBackUnchanged) {
  PutDword(HKEY_CURRENT_USER, kMenuItemsKey, L"ExtrTo", 0);
  PutDword(HKEY_CURRENT_USER, kMenuItemsKey, L"Convert", 1);
  ASSERT_TRUE(RunDialog(kWindows11Single, [](HWND dialog) { Click(dialog, IDOK); }));
  for (const Control& item : kControls) {
    if (!IsRegularItem(item)) continue;
    const std::wstring name = item.value;
    const DWORD expected = name == L"ExtrTo" ? 0 : name == L"Convert" ? 1 : item.defaultValue;
    EXPECT_EQ(expected, StoredDword(HKEY_CURRENT_USER, kMenuItemsKey, item.value)) << testing::PrintToString(name);
  }
}

TEST_F(ContextItemsDialogTest, ConfirmingInSingleModeStoresTheChosenTopItems) {
  ASSERT_TRUE(RunDialog(kWindows11Single, [](HWND dialog) {
    Click(dialog, 115);
    Click(dialog, 116);
    Click(dialog, 118);
    Click(dialog, IDOK);
  }));
  for (const Control& item : kControls) {
    if (item.shown != kSingleOnly) continue;
    const bool chosen = item.id == 115 || item.id == 118;
    const DWORD expected = chosen ? 1 : 0;
    EXPECT_EQ(expected, StoredDword(HKEY_CURRENT_USER, kTopMenuItemsKey, item.value)) << "control " << item.id;
  }
}

TEST_F(ContextItemsDialogTest, ConfirmingWithRegularItemsOnWindows11LeavesTopMenuItemsAlone) {
  ASSERT_TRUE(RunDialog(kWindows11Cascaded, [](HWND dialog) { Click(dialog, IDOK); }));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTopMenuItemsKey));
}

TEST_F(ContextItemsDialogTest, StoredMasksTooLongForTheBufferShowTheDefault) {
  struct Row {
    const char* name;
    std::wstring stored;
    std::wstring shown;
  };
  const std::wstring longest(1023, L'a');
  const Row rows[] = {
      {"1023 characters", longest, longest},
      {"1024 characters", longest + L"a", L"*.iso"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PutText(HKEY_CURRENT_USER, kMenuItemsKey, L"AlwaysArc", row.stored);
    ASSERT_TRUE(RunDialog(kWindows10, [&](HWND dialog) { EXPECT_EQ(row.shown, ControlText(dialog, 127)); }));
  }
}

TEST_F(ContextItemsDialogTest, TypedMasksAreStored) {
  ASSERT_TRUE(RunDialog(kWindows10, [](HWND dialog) {
    SetDlgItemTextW(dialog, 127, L"*.img;*.vhd");
    Click(dialog, IDOK);
  }));
  EXPECT_EQ(L"*.img;*.vhd", StoredText(HKEY_CURRENT_USER, kMenuItemsKey, L"AlwaysArc"));
}

class ContextItemsWithSettingsFile : public ContextItemsDialogTest {
 protected:
  void SetUp() override {
    ContextItemsDialogTest::SetUp();
    ASSERT_TRUE(folder_.Ok());
    ASSERT_TRUE(WriteFileBytes(path_, original_));
    ASSERT_TRUE(WritableSettingsStore().LoadFile(path_));
  }

  const std::string original_ =
      Utf16FileBytes(L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n");
  ScopedTempFolder folder_;
  const std::wstring path_ = folder_.Path(L"Bramix.ini");
};

TEST_F(ContextItemsWithSettingsFile, ConfirmingSavesTheChoicesToTheFile) {
  ASSERT_TRUE(RunDialog(kWindows10, [](HWND dialog) {
    Click(dialog, 111);
    Click(dialog, IDOK);
  }));
  EXPECT_NE(std::string::npos, ReadFileBytes(path_).find(Utf16Bytes(L"\r\nHKCU\\Setup\\MenuItems\\Test=1\r\n")));
}

// Every write goes to the settings file's entries first, so entries that a save
// would write unchanged mean nothing was stored.
TEST_F(ContextItemsWithSettingsFile, CancelStoresNothingAndLeavesTheFileAlone) {
  ASSERT_TRUE(RunDialog(kWindows11Single, [](HWND dialog) {
    Click(dialog, 115);
    Click(dialog, 120);
    SetDlgItemTextW(dialog, 127, L"*.img");
    Click(dialog, IDCANCEL);
  }));
  EXPECT_EQ(original_, ReadFileBytes(path_));
  EXPECT_EQ(original_, ProcessSettingsStore().FileBytes());
}
