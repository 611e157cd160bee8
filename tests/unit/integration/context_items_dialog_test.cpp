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
#include "support/scoped_state.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kMenuItemsKey[] = L"Software\\Bramix\\Setup\\MenuItems";
constexpr wchar_t kTopMenuItemsKey[] = L"Software\\Bramix\\Setup\\TopMenuItems";

enum Shown { kAlways, kRegularOnly, kSingleOnly };

struct Control {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  int x, y, width, height;  // dialog units
  LONG style;  // the low four bits (a button's type) exactly, the others at least
  Shown shown;
  const wchar_t* value = nullptr;  // the item's number, under TopMenuItems for kSingleOnly
  DWORD defaultValue = 0;
};

constexpr LONG kCheck = BS_AUTOCHECKBOX;
constexpr LONG kRadio = BS_AUTORADIOBUTTON;
constexpr LONG kFirstRadio = BS_AUTORADIOBUTTON | WS_GROUP;

const Control kControls[] = {
    {128, L"Button", L"Seleziona le voci da visualizzare nel menu contestuale", 7, 7, 229, 176, BS_GROUPBOX, kAlways},
    {101, L"Button", L"&Estrai i file...", 16, 21, 210, 12, kCheck, kRegularOnly, L"ExtrTo", 1},
    {102, L"Button", L"Estrai &qui", 16, 33, 210, 12, kCheck, kRegularOnly, L"ExtrHere", 1},
    {103, L"Button", L"Estrai in <&cartella\\>", 16, 45, 210, 12, kCheck, kRegularOnly, L"Extr", 1},
    {104, L"Button", L"Estrai &ogni archivio in una cartella separata", 16, 57, 210, 12, kCheck, kRegularOnly, L"ExtrSep", 1},
    {105, L"Button", L"Apri con &Bramix (per archivi auto-estraenti)", 16, 69, 210, 12, kCheck, kRegularOnly, L"OpenSFX", 1},
    {106, L"Button", L"Apri con Bramix (per arc&hivi ordinari)", 16, 81, 210, 12, kCheck, kRegularOnly, L"OpenArc", 1},
    {107, L"Button", L"A&ggiungi ad un archivio...", 16, 93, 210, 12, kCheck, kRegularOnly, L"AddTo", 1},
    {108, L"Button", L"Agg&iungi all'archivio <nome_archivio>", 16, 105, 210, 12, kCheck, kRegularOnly, L"AddArc", 1},
    {109, L"Button", L"Co&mprimi in <nome_archivio> ed invia via email", 16, 117, 210, 12, kCheck, kRegularOnly, L"EmailArc", 1},
    {110, L"Button", L"Com&primi ed invia via email...", 16, 129, 210, 12, kCheck, kRegularOnly, L"EmailOpt", 1},
    {111, L"Button", L"&Verifica archivio", 16, 141, 210, 12, kCheck, kRegularOnly, L"Test", 0},
    {112, L"Button", L"Co&nverti archivio...", 16, 153, 210, 12, kCheck, kRegularOnly, L"Convert", 0},
    {113, L"Button", L"Estrai nella <cartella\\>", 16, 21, 210, 12, kFirstRadio, kSingleOnly, L"Extr", 1},
    {114, L"Button", L"Estrai file...", 16, 33, 210, 12, kRadio, kSingleOnly, L"ExtrTo", 0},
    {115, L"Button", L"Estrai qui", 16, 45, 210, 12, kRadio, kSingleOnly, L"ExtrHere", 0},
    {116, L"Button", L"Estrai ogni archivio in una cartella separata", 16, 57, 210, 12, kCheck, kSingleOnly, L"ExtrSep", 1},
    {117, L"Button", L"Aggiungi a <nome_archivio>", 16, 81, 210, 12, kFirstRadio, kSingleOnly, L"AddArc", 1},
    {118, L"Button", L"Aggiungi ad un archivio...", 16, 93, 210, 12, kRadio, kSingleOnly, L"AddTo", 0},
    {119, L"Button", L"Menu contestuale \"Nuovo\"", 245, 7, 180, 41, BS_GROUPBOX, kAlways},
    {120, L"Button", L"Archivio Bramix", 254, 19, 125, 12, kCheck, kAlways, L"NewZPK", 1},
    {121, L"Button", L"Archivio ZIP Bramix", 254, 31, 125, 12, kCheck, kAlways, L"NewZIP", 1},
    {129, L"Button", L"Menu contestuale \"Trascina e lascia\"", 245, 54, 180, 44, BS_GROUPBOX, kAlways},
    {122, L"Button", L"Vi&sualizza le voci di archiviazione", 254, 66, 125, 12, kCheck, kAlways, L"DragAdd", 1},
    {123, L"Button", L"Vis&ualizza le voci d'estrazione", 254, 78, 125, 12, kCheck, kAlways, L"DragExtr", 1},
    {130, L"Button", L"Dove cercare gli archivi auto-estraenti", 245, 101, 180, 56, BS_GROUPBOX, kAlways},
    {124, L"Button", L"Dischi &Locali", 254, 113, 125, 12, kCheck, kAlways, L"SFXLocal", 1},
    {125, L"Button", L"Dischi di &Rete", 254, 125, 125, 12, kCheck, kAlways, L"SFXNetwork", 1},
    {126, L"Button", L"Altri &Dispositivi", 254, 137, 125, 12, kCheck, kAlways, L"SFXOther", 1},
    {131, L"Static", L"Visuali&zza le voci di archiviazione per i file:", 245, 160, 180, 8, SS_LEFT, kAlways},
    {127, L"Edit", L"*.iso", 245, 170, 180, 12, ES_LEFT | ES_AUTOHSCROLL, kAlways},
    {IDOK, L"Button", L"O&k", 130, 191, 50, 14, BS_DEFPUSHBUTTON, kAlways},
    {IDCANCEL, L"Button", L"&Annulla", 192, 191, 50, 14, BS_PUSHBUTTON, kAlways},
    {IDHELP, L"Button", L"&?", 253, 191, 50, 14, BS_PUSHBUTTON, kAlways},
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

void StoreNumber(const wchar_t* key, const wchar_t* name, DWORD number) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &number, sizeof(number));
}

std::optional<DWORD> StoredNumber(const wchar_t* key, const wchar_t* name) {
  DWORD number = 0;
  DWORD size = sizeof(number);
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &number, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return number;
}

std::wstring StoredText(const wchar_t* key, const wchar_t* name) {
  wchar_t text[2048] = L"<missing>";
  DWORD size = sizeof(text);
  RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}

bool KeyExists(const wchar_t* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

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

void ExpectControlAsLaidOut(HWND dialog, const Control& expected, const Mode& mode) {
  SCOPED_TRACE(testing::Message() << "control " << expected.id);
  HWND control = GetDlgItem(dialog, expected.id);
  ASSERT_NE(nullptr, control);
  wchar_t className[32] = {};
  GetClassNameW(control, className, 32);
  EXPECT_EQ(0, _wcsicmp(expected.className, className)) << testing::PrintToString(std::wstring(className));
  EXPECT_EQ(expected.text, WindowText(control));
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  EXPECT_EQ(expected.style & 0xF, style & 0xF);
  EXPECT_EQ(expected.style & ~0xF, style & expected.style & ~0xF);
  const bool shown = expected.shown == kAlways || (expected.shown == kSingleOnly) == mode.single;
  EXPECT_EQ(shown, IsWindowVisible(control) != FALSE);
  // The dialog manager converts the origin and the size each on their own.
  RECT place = {expected.x, expected.y, expected.width, expected.height};
  MapDialogRect(dialog, &place);
  RECT actual;
  GetWindowRect(control, &actual);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
  EXPECT_EQ(place.left, actual.left);
  EXPECT_EQ(place.top, actual.top);
  EXPECT_EQ(place.right, actual.right - actual.left);
  EXPECT_EQ(place.bottom, actual.bottom - actual.top);
}

}  // namespace

TEST_F(ContextItemsDialogTest, ControlsAreLaidOutAsTheTemplateSays) {
  for (const Mode& mode : {kWindows10, kWindows11Cascaded, kWindows11Single}) {
    SCOPED_TRACE(mode.name);
    ASSERT_TRUE(RunDialog(mode, [&](HWND dialog) {
      EXPECT_EQ(L"Voci del menu contestuale", WindowText(dialog));
      constexpr LONG kStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
      EXPECT_EQ(kStyle, GetWindowLongW(dialog, GWL_STYLE) & (kStyle | DS_CENTER));
      LOGFONTW font = {};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
      EXPECT_EQ(std::wstring(L"MS Shell Dlg 2"), font.lfFaceName);
      RECT place = {42, 51, 433, 213};
      MapDialogRect(dialog, &place);
      // Without an owner the origin is the client area's place on the screen.
      POINT origin = {0, 0};
      ClientToScreen(dialog, &origin);
      RECT client;
      GetClientRect(dialog, &client);
      EXPECT_EQ(place.left, origin.x);
      EXPECT_EQ(place.top, origin.y);
      EXPECT_EQ(place.right, client.right);
      EXPECT_EQ(place.bottom, client.bottom);
      for (const Control& control : kControls) ExpectControlAsLaidOut(dialog, control, mode);
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
    for (const auto& [name, number] : row.stored) StoreNumber(kTopMenuItemsKey, name, number);
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
      EXPECT_EQ(other.id == item.id ? 1u : 0u, StoredNumber(kMenuItemsKey, other.value)) << "control " << other.id;
    }
  }
}

TEST_F(ContextItemsDialogTest, ConfirmingInSingleModeWritesHiddenItemsBackUnchanged) {
  StoreNumber(kMenuItemsKey, L"ExtrTo", 0);
  StoreNumber(kMenuItemsKey, L"Convert", 1);
  ASSERT_TRUE(RunDialog(kWindows11Single, [](HWND dialog) { Click(dialog, IDOK); }));
  for (const Control& item : kControls) {
    if (!IsRegularItem(item)) continue;
    const std::wstring name = item.value;
    const DWORD expected = name == L"ExtrTo" ? 0 : name == L"Convert" ? 1 : item.defaultValue;
    EXPECT_EQ(expected, StoredNumber(kMenuItemsKey, item.value)) << testing::PrintToString(name);
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
    EXPECT_EQ(chosen ? 1u : 0u, StoredNumber(kTopMenuItemsKey, item.value)) << "control " << item.id;
  }
}

TEST_F(ContextItemsDialogTest, ConfirmingWithRegularItemsLeavesTopMenuItemsAlone) {
  for (const Mode& mode : {kWindows10, kWindows11Cascaded}) {
    SCOPED_TRACE(mode.name);
    ASSERT_TRUE(RunDialog(mode, [](HWND dialog) { Click(dialog, IDOK); }));
    EXPECT_FALSE(KeyExists(kTopMenuItemsKey));
  }
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
    RegSetKeyValueW(HKEY_CURRENT_USER, kMenuItemsKey, L"AlwaysArc", REG_SZ, row.stored.c_str(),
                    static_cast<DWORD>((row.stored.size() + 1) * sizeof(wchar_t)));
    ASSERT_TRUE(RunDialog(kWindows10, [&](HWND dialog) { EXPECT_EQ(row.shown, ControlText(dialog, 127)); }));
  }
}

TEST_F(ContextItemsDialogTest, TypedMasksAreStored) {
  ASSERT_TRUE(RunDialog(kWindows10, [](HWND dialog) {
    SetDlgItemTextW(dialog, 127, L"*.img;*.vhd");
    Click(dialog, IDOK);
  }));
  EXPECT_EQ(L"*.img;*.vhd", StoredText(kMenuItemsKey, L"AlwaysArc"));
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
