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

enum Shown { kAlways, kRegularOnly, kSingleOnly };

// The items, each with the value that stores it.
struct Control {
  int id;
  const wchar_t* text;
  Shown shown;
  const wchar_t* value;  // the item's number, under TopMenuItems for kSingleOnly
};

const Control kControls[] = {
    {101, L"&Estrai i file...", kRegularOnly, L"ExtrTo"},
    {102, L"Estrai &qui", kRegularOnly, L"ExtrHere"},
    {103, L"Estrai in <&cartella\\>", kRegularOnly, L"Extr"},
    {104, L"Estrai &ogni archivio in una cartella separata", kRegularOnly, L"ExtrSep"},
    {105, L"Apri con &Bramix (per archivi auto-estraenti)", kRegularOnly, L"OpenSFX"},
    {106, L"Apri con Bramix (per arc&hivi ordinari)", kRegularOnly, L"OpenArc"},
    {107, L"A&ggiungi ad un archivio...", kRegularOnly, L"AddTo"},
    {108, L"Agg&iungi all'archivio <nome_archivio>", kRegularOnly, L"AddArc"},
    {109, L"Co&mprimi in <nome_archivio> ed invia via email", kRegularOnly, L"EmailArc"},
    {110, L"Com&primi ed invia via email...", kRegularOnly, L"EmailOpt"},
    {111, L"&Verifica archivio", kRegularOnly, L"Test"},
    {112, L"Co&nverti archivio...", kRegularOnly, L"Convert"},
    {113, L"Estrai nella <cartella\\>", kSingleOnly, L"Extr"},
    {114, L"Estrai file...", kSingleOnly, L"ExtrTo"},
    {115, L"Estrai qui", kSingleOnly, L"ExtrHere"},
    {116, L"Estrai ogni archivio in una cartella separata", kSingleOnly, L"ExtrSep"},
    {117, L"Aggiungi a <nome_archivio>", kSingleOnly, L"AddArc"},
    {118, L"Aggiungi ad un archivio...", kSingleOnly, L"AddTo"},
    {120, L"Archivio Bramix", kAlways, L"NewZPK"},
    {121, L"Archivio ZIP Bramix", kAlways, L"NewZIP"},
    {122, L"Vi&sualizza le voci di archiviazione", kAlways, L"DragAdd"},
    {123, L"Vis&ualizza le voci d'estrazione", kAlways, L"DragExtr"},
    {124, L"Dischi &Locali", kAlways, L"SFXLocal"},
    {125, L"Dischi di &Rete", kAlways, L"SFXNetwork"},
    {126, L"Altri &Dispositivi", kAlways, L"SFXOther"},
};

bool IsRegularItem(const Control& control) { return control.shown != kSingleOnly; }

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

TEST_F(ContextItemsDialogTest, CancelStoresNothing) {
  ASSERT_TRUE(RunDialog(kWindows11Single, [](HWND dialog) {
    Click(dialog, 115);
    Click(dialog, 120);
    SetDlgItemTextW(dialog, 127, L"*.img");
    Click(dialog, IDCANCEL);
  }));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMenuItemsKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTopMenuItemsKey));
}
