// Setup mode through the real Uninstall.exe: its two dialogs as the user sees them,
// and what confirming or cancelling them leaves in the registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/registry_snapshot.h"
#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

namespace {

constexpr DWORD kTimeout = 60000;
constexpr wchar_t kFolder[] = L"C:\\Program Files\\Bramix Setup Dialogs";
constexpr wchar_t kUninstallEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";
constexpr wchar_t kDialogClass[] = L"#32770";

// One control as the template lays it out, in dialog units.
struct ExpectedControl {
  const char* Name;
  int Id;
  const wchar_t* ClassName;
  DWORD KindMask;  // the style bits that make the control what it is...
  DWORD Kind;      // ...and their value
  std::wstring Text;
  bool Visible;
  bool Enabled;
  RECT Units;  // x, y, width, height
};

// The control shows its scroll bar (and its style says so) only while the text overflows.
constexpr DWORD kRichEditKind = ES_READONLY | ES_MULTILINE;

RECT Box(int x, int y, int width, int height) { return RECT{x, y, width, height}; }

ExpectedControl Group(const char* name, int id, const wchar_t* text, RECT units) {
  return {name, id, L"Button", BS_TYPEMASK, BS_GROUPBOX, text, true, true, units};
}
ExpectedControl CheckBox(const char* name, int id, const wchar_t* text, RECT units) {
  return {name, id, L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, text, true, true, units};
}
ExpectedControl Button(const char* name, int id, const wchar_t* text, RECT units) {
  return {name, id, L"Button", BS_TYPEMASK, BS_PUSHBUTTON, text, true, true, units};
}
ExpectedControl DefaultButton(const char* name, int id, const wchar_t* text, RECT units) {
  return {name, id, L"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON, text, true, true, units};
}
ExpectedControl Label(const char* name, int id, const wchar_t* text, RECT units) {
  return {name, id, L"Static", SS_TYPEMASK, SS_LEFT, text, true, true, units};
}

// A format box of column 1 (x 16) or 2 (x 56), row 0 at y 21.
ExpectedControl FormatBox(const char* name, int id, const wchar_t* text, int column, int row) {
  return CheckBox(name, id, text, Box(column == 1 ? 16 : 56, 21 + 12 * row, 37, 12));
}

std::wstring BuiltInString(UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return std::wstring(text, length > 0 ? length : 0);
}

// The help text of the settings dialog: two paragraphs, each indented by four spaces.
std::wstring SetupHelpText() {
  std::wstring text = L"   ";
  for (UINT id : {IDS_INSTHELP1, IDS_INSTHELP2, IDS_INSTHELP3, IDS_INSTHELP4, IDS_INSTHELP5})
    text += L" " + BuiltInString(id);
  return text + L"\r\n    " + BuiltInString(IDS_INSTHELP6);
}

// Converts positions and sizes in dialog units to pixels as an 8-point "MS Shell Dlg 2" dialog of this
// process does; the dialogs of the program must come out the same.
class DialogUnits {
 public:
  DialogUnits() {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    const WORD menuClassTitleAndPoints[] = {0, 0, 0, 8};
    words.insert(words.end(), std::begin(menuClassTitleAndPoints), std::end(menuClassTitleAndPoints));
    for (const wchar_t* c = L"MS Shell Dlg 2"; *c != L'\0'; ++c) words.push_back(*c);
    words.push_back(0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = WS_POPUP | DS_SETFONT;
    header->cx = 100;
    header->cy = 100;
    dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), header, nullptr, NoMessages, 0);
  }
  ~DialogUnits() { DestroyWindow(dialog_); }
  // x, y, width and height each rounded as the dialog manager rounds them.
  RECT Pixels(RECT units) const {
    MapDialogRect(dialog_, &units);
    return units;
  }

 private:
  static INT_PTR CALLBACK NoMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
  HWND dialog_;
};

// The text a control gives when asked (a rich edit control keeps its own).
std::wstring AskedText(HWND control) {
  const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

// The position and size of a control in the client area of its dialog, in pixels.
RECT ClientPosition(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return RECT{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::wstring RectText(const RECT& rect) {
  return std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," + std::to_wstring(rect.right) + L"," +
         std::to_wstring(rect.bottom);
}

// Compares the dialog's child windows, in the order the template makes them, with
// the table row by row; the dialog has no control beyond the table.
void ExpectLayout(HWND dialog, const std::vector<ExpectedControl>& table) {
  const DialogUnits units;
  HWND control = GetWindow(dialog, GW_CHILD);
  for (const ExpectedControl& expected : table) {
    SCOPED_TRACE(expected.Name);
    ASSERT_NE(nullptr, control) << "missing";
    wchar_t className[64] = {};
    GetClassNameW(control, className, 64);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    EXPECT_EQ(expected.Id, static_cast<int>(static_cast<short>(GetDlgCtrlID(control))));
    EXPECT_STREQ(expected.ClassName, className);
    EXPECT_EQ(expected.Kind, style & expected.KindMask);
    EXPECT_EQ(expected.Text, AskedText(control));
    EXPECT_EQ(expected.Visible, (style & WS_VISIBLE) != 0);
    EXPECT_EQ(expected.Enabled, IsWindowEnabled(control) != FALSE);
    EXPECT_EQ(RectText(units.Pixels(expected.Units)), RectText(ClientPosition(dialog, control)));
    control = GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(nullptr, control) << "a control beyond the table";
}

bool KeyExists(HKEY root, const wchar_t* path) {
  UniqueHkey key;
  return RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A text value as it stands, a number in decimals; "<missing>" when there is none.
std::wstring ReadValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  union {
    wchar_t Text[1024];
    DWORD Number;
  } data{};
  DWORD type = REG_NONE;
  DWORD size = sizeof(data);
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, &data, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return type == REG_DWORD ? std::to_wstring(data.Number) : std::wstring(data.Text);
}

// A staged installation where setup runs, with nothing stored from earlier runs.
class SetupDialogs : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix");
    for (const wchar_t* name : {L"Bramix.exe", L"zpkext.dll", L"zpkext32.dll"}) install_.WriteFile(name, "x");
    install_.WriteList({L"Bramix.exe", L"zpkext.dll", L"zpkext32.dll", L"zpknew.dat", L"zipnew.dat", L"Uninstall.exe",
                        L"Uninstall.lst"});
    // Wine mirrors every saved shortcut into the desktop's menus unless its menu builder is off.
    menuBuilder_.SetText(L"");
  }
  // A run that applied something is undone by the uninstaller.
  void TearDown() override {
    program_.Kill();
    if (!KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup")) return;
    ChildProcess uninstall;
    ASSERT_TRUE(uninstall.Start(install_.Exe(), L"/s", install_.Folder()));
    EXPECT_TRUE(uninstall.Wait(kTimeout));
    EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kTimeout));
  }

  // Starts setup with the switches and returns its settings dialog.
  HWND OpenSetup(const std::wstring& args) {
    EXPECT_TRUE(program_.Start(install_.Exe(), args, install_.Folder()));
    HWND dialog = WaitForWindow(program_.Pid(), kDialogClass, kTimeout);
    EXPECT_NE(nullptr, dialog) << "no settings dialog";
    return dialog;
  }
  // Confirms the settings dialog and returns the dialog that follows it, if any,
  // once the process has either shown it or ended.
  HWND ConfirmSetup(HWND setup) {
    PressButton(setup, IDOK);
    const DWORD start = GetTickCount();
    while (!program_.Wait(50) && GetTickCount() - start < kTimeout) {
      HWND next = WaitForWindow(program_.Pid(), kDialogClass, 0);
      if (next != nullptr && next != setup) return next;
    }
    return nullptr;
  }
  // Runs the program to its end, failing the test if it shows any window on the way
  // (looking every millisecond, so that a dialog shown for a moment is seen too);
  // the exit code.
  DWORD RunWithoutWindow(const std::wstring& args) {
    EXPECT_TRUE(program_.Start(install_.Exe(), args, install_.Folder()));
    const DWORD start = GetTickCount();
    while (!program_.Wait(1) && GetTickCount() - start < kTimeout) {
      if (HasWindow(program_.Pid(), kDialogClass)) {
        ADD_FAILURE() << "a window was shown";
        program_.Kill();
        break;
      }
    }
    return program_.ExitCode();
  }
  DWORD WaitForEnd() {
    EXPECT_TRUE(program_.Wait(kTimeout));
    return program_.ExitCode();
  }

  const ScopedRegistryValue menuBuilder_{HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"winemenubuilder.exe"};
  StagedInstallation install_{kFolder};
  ChildProcess program_;
};

// Clicks a button and waits until the dialog has handled it.
void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

TEST_F(SetupDialogs, SettingsDialogShowsEveryControlAsLaidOut) {
  HWND dialog = OpenSetup(L"-setup");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(L"Configurazione Bramix", WindowText(dialog));
  const std::vector<ExpectedControl> table = {
      Group("format group", IDC_ASSOCWITH, L"Associa a Bramix archivi in formato:", Box(7, 5, 127, 144)),
      FormatBox("ZPK", IDC_ASSOCZPK, L"&ZPK", 1, 0),
      FormatBox("ZIP", IDC_ASSOCZIP, L"&ZIP", 1, 1),
      FormatBox("7Z", IDC_ASSOC7Z, L"7Z", 1, 2),
      FormatBox("ARJ", IDC_ASSOCARJ, L"ARJ", 1, 3),
      FormatBox("BZ2", IDC_ASSOCBZ2, L"BZ2", 1, 4),
      FormatBox("CAB", IDC_ASSOCCAB, L"CAB", 1, 5),
      FormatBox("GZ", IDC_ASSOCGZ, L"GZ", 1, 6),
      FormatBox("ISO", IDC_ASSOCISO, L"ISO", 1, 7),
      FormatBox("JAR", IDC_ASSOCJAR, L"JAR", 1, 8),
      FormatBox("LZ", IDC_ASSOCLZ, L"LZ", 2, 0),
      FormatBox("LZH", IDC_ASSOCLZH, L"LZH", 2, 1),
      FormatBox("TAR", IDC_ASSOCTAR, L"TAR", 2, 2),
      FormatBox("UUE", IDC_ASSOCUUE, L"UUE", 2, 3),
      FormatBox("XZ", IDC_ASSOCXZ, L"XZ", 2, 4),
      FormatBox("Z", IDC_ASSOCZ, L"Z", 2, 5),
      FormatBox("ZIPX", IDC_ASSOCZIPX, L"ZIPX", 2, 6),
      FormatBox("ZST", IDC_ASSOCZST, L"ZST", 2, 7),
      FormatBox("001", IDC_ASSOC001, L"001", 2, 8),
      Button("select all", IDC_ASSOCALL, L"Seleziona/Deseleziona &tutti", Box(16, 131, 108, 14)),
      Group("interface group", IDC_INTEGRATIONINTERFACE, L"Interfaccia", Box(140, 5, 184, 57)),
      CheckBox("desktop", IDC_LINKDESKTOP, L"Aggiungi l'icona di Bramix al &desktop", Box(148, 19, 170, 12)),
      CheckBox("start menu", IDC_LINKSTARTMENU, L"Aggiungi Bramix al &menu \"Avvio\" / \"Start\"", Box(148, 31, 170, 12)),
      CheckBox("program group", IDC_LINKPROGRAMS, L"Crea il &gruppo dei programmi di Bramix", Box(148, 43, 170, 12)),
      Group("shell group", IDC_SHELLINTEGRATION, L"&Integra Bramix in \"Esplora risorse\"", Box(140, 65, 184, 84)),
      CheckBox("shell extension", IDC_SHELLEXT, L"Integrazione con \"&Esplora risorse\"", Box(148, 78, 170, 12)),
      CheckBox("cascaded menu", IDC_SHELLCASCADED, L"&Voci in cascata nel menu contestuale", Box(148, 90, 170, 12)),
      CheckBox("menu icons", IDC_SHELLICONS, L"Ic&one nel menu contestuale", Box(148, 102, 170, 12)),
      {"legacy menu", IDC_SHELLLEGACYMENU, L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, L"Menu contestuale vecc&hio stile",
       false, false, Box(148, 114, 170, 12)},
      Button("context items", IDC_SETCONTEXTMENU, L"Vo&ci del menu contestuale...", Box(148, 131, 140, 14)),
      Group("help group", -1, L"", Box(7, 151, 317, 75)),
      {"help text", IDC_INSTHELPTEXT, L"RichEdit20W", kRichEditKind, kRichEditKind, SetupHelpText(), true, true,
       Box(12, 159, 306, 62)},
      DefaultButton("OK", IDOK, L"O&k", Box(91, 233, 70, 14)),
      Button("help", IDHELP, L"&?", Box(169, 233, 70, 14)),
  };
  ExpectLayout(dialog, table);
  PressButton(dialog, IDCANCEL);
}

TEST_F(SetupDialogs, CompletionDialogShowsEveryControlAsLaidOut) {
  HWND done = ConfirmSetup(OpenSetup(L"-setup"));
  ASSERT_NE(nullptr, done) << "no completion dialog";
  EXPECT_EQ(L"Configurazione Bramix", WindowText(done));
  const std::vector<ExpectedControl> table = {
      Group("upper group", -1, L"", Box(8, 2, 314, 135)),
      Label("folder title", IDC_INSTINFOFOLDER, L"Bramix è stato installato correttamente nella cartella:",
            Box(17, 14, 297, 8)),
      Label("folder", IDC_INSTFOLDER, kFolder, Box(17, 23, 297, 8)),
      Label("options", IDC_INSTINFOOPTIONS,
            L"Selezionate la voce \"Configurazione...\" del menu \"Opzioni\" di Bramix per la modifica della "
            L"configurazione.",
            Box(17, 35, 297, 16)),
      Label("help note", IDC_INSTINFOHELP,
            L"Se installate Bramix per la prima volta, non dimenticatevi di leggere la guida inclusa.",
            Box(17, 55, 297, 16)),
      Button("help", IDC_VIEWHELP, L"Leggi la &guida", Box(10, 144, 75, 14)),
      Button("licence", IDC_VIEWLICENSE, L"Leggi la &licenza", Box(88, 144, 75, 14)),
      Button("home page", IDC_HOMEPAGE, L"Sito &Internet", Box(244, 144, 75, 14)),
      Group("lower group", -1, L"", Box(8, 162, 314, 64)),
      {"thanks", IDC_THANKS, L"Static", SS_TYPEMASK, SS_CENTER, L"Grazie per aver deciso d'utilizzare Bramix !", true,
       true, Box(17, 178, 297, 16)},
      DefaultButton("close", IDOK, L"&Chiudi", Box(130, 233, 70, 14)),
  };
  ExpectLayout(done, table);
  PressButton(done, IDOK);
  EXPECT_EQ(0u, WaitForEnd());
}

TEST_F(SetupDialogs, ConfirmingStoresAppliesAndRegistersTheChoices) {
  struct Mark {
    const char* Name;
    HKEY Root;
    const wchar_t* Key;
    const wchar_t* Value;
    std::wstring Expected;
  };
  const Mark marks[] = {
      {"desktop choice stored", HKEY_CURRENT_USER, L"Software\\Bramix\\Setup\\Links", L"Desktop", L"1"},
      {"own format associated", HKEY_CLASSES_ROOT, L".zpk", nullptr, L"Bramix"},
      {"Add/Remove entry written", HKEY_LOCAL_MACHINE, kUninstallEntry, L"UninstallString",
       std::wstring(kFolder) + L"\\Uninstall.exe"},
  };
  HWND done = ConfirmSetup(OpenSetup(L"-setup -initD1"));
  ASSERT_NE(nullptr, done) << "no completion dialog";
  for (const Mark& mark : marks) {
    SCOPED_TRACE(mark.Name);
    EXPECT_EQ(mark.Expected, ReadValue(mark.Root, mark.Key, mark.Value));
  }
  PressButton(done, IDOK);
  EXPECT_EQ(0u, WaitForEnd());
}

TEST_F(SetupDialogs, EscEndsWithExitCodeOneAndLeavesTheRegistryAsItWas) {
  const RegistryLines before = RegistrySnapshot();
  HWND dialog = OpenSetup(L"-setup");
  ASSERT_NE(nullptr, dialog);
  PressButton(dialog, IDCANCEL);
  EXPECT_EQ(1u, WaitForEnd());
  const RegistryLines after = RegistrySnapshot();
  for (const std::wstring& line : Minus(after, before)) ADD_FAILURE() << "added: " << testing::PrintToString(line);
  for (const std::wstring& line : Minus(before, after)) ADD_FAILURE() << "lost: " << testing::PrintToString(line);
}

TEST_F(SetupDialogs, SilentSetupConfirmsBothDialogsWithoutShowingThem) {
  struct SilentRun {
    const char* Name;
    const wchar_t* Sfxcmd;
    const wchar_t* Args;
  };
  const SilentRun runs[] = {
      {"-setup -s", nullptr, L"-setup -s"},
      {"sfxcmd -s, -setup", L"\"C:\\Temp\\Bramix Setup.exe\" -s", L"-setup"},
  };
  for (const SilentRun& run : runs) {
    SCOPED_TRACE(run.Name);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallEntry);
    const ScopedEnvVar sfxcmd(L"sfxcmd", run.Sfxcmd);
    EXPECT_EQ(0u, RunWithoutWindow(run.Args));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry)) << "not confirmed";
  }
}

TEST_F(SetupDialogs, MsiSetupShowsNoCompletionDialogAndWritesNoAddRemoveEntry) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallEntry);
  HWND done = ConfirmSetup(OpenSetup(L"-setup -msi"));
  EXPECT_EQ(nullptr, done) << "a completion dialog";
  if (done != nullptr) PressButton(done, IDOK);
  EXPECT_EQ(0u, WaitForEnd());
  EXPECT_EQ(L"Bramix", ReadValue(HKEY_CLASSES_ROOT, L".zpk", nullptr)) << "not applied";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
}

TEST_F(SetupDialogs, InitPresetsShowInTheBoxes) {
  struct Preset {
    const char* Name;
    int Id;
    UINT Expected;
  };
  // Each preset differs from what the box shows without it.
  const Preset presets[] = {
      {"A digit 1 of 0", IDC_ASSOCZPK, BST_UNCHECKED},
      {"A digit 12 of 1", IDC_ASSOCJAR, BST_CHECKED},
      {"D1", IDC_LINKDESKTOP, BST_CHECKED},
      {"M1", IDC_LINKSTARTMENU, BST_CHECKED},
      {"P0", IDC_LINKPROGRAMS, BST_UNCHECKED},
      {"S0", IDC_SHELLEXT, BST_UNCHECKED},
      {"C1", IDC_SHELLCASCADED, BST_CHECKED},
      {"I0", IDC_SHELLICONS, BST_UNCHECKED},
  };
  HWND dialog = OpenSetup(L"-setup -initA011111111111D1M1P0S0C1I0");
  ASSERT_NE(nullptr, dialog);
  for (const Preset& preset : presets) {
    SCOPED_TRACE(preset.Name);
    EXPECT_EQ(preset.Expected, IsDlgButtonChecked(dialog, preset.Id));
  }
  PressButton(dialog, IDCANCEL);
}

TEST_F(SetupDialogs, SelectAllWithEveryFormatTickedClearsThemAll) {
  HWND dialog = OpenSetup(L"-setup -initA111111111111111111");
  ASSERT_NE(nullptr, dialog);
  Click(dialog, IDC_ASSOCALL);
  for (int id = IDC_ASSOCZPK; id <= IDC_ASSOC001; ++id)
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, id)) << ControlText(dialog, id);
  PressButton(dialog, IDCANCEL);
}

TEST_F(SetupDialogs, SelectAllWithOneFormatClearTicksThemAll) {
  HWND dialog = OpenSetup(L"-setup -initA111111111111111110");
  ASSERT_NE(nullptr, dialog);
  Click(dialog, IDC_ASSOCALL);
  for (int id = IDC_ASSOCZPK; id <= IDC_ASSOC001; ++id)
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, id)) << ControlText(dialog, id);
  PressButton(dialog, IDCANCEL);
}
