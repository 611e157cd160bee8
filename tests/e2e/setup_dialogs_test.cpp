// Setup mode through the real Uninstall.exe: its two dialogs as the user sees them,
// and what confirming or cancelling them leaves in the registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "e2e/staged_product.h"
#include "support/dialog_template.h"
#include "support/prefix_version.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\Bramix Setup Dialogs";
constexpr wchar_t kUninstallEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";

// What makes a control what it is: its class and the style bits of its kind (the
// scroll bar of the rich edit control, and its style bit, come and go with the text).
struct ControlKind {
  const wchar_t* ClassName;
  DWORD Mask;
  DWORD Style;
};
constexpr ControlKind kGroup{L"Button", BS_TYPEMASK, BS_GROUPBOX};
constexpr ControlKind kAutoBox{L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX};
constexpr ControlKind kButton{L"Button", BS_TYPEMASK, BS_PUSHBUTTON};
constexpr ControlKind kDefaultButton{L"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON};
constexpr ControlKind kLabel{L"Static", SS_TYPEMASK, SS_LEFT};
constexpr ControlKind kCentredLabel{L"Static", SS_TYPEMASK, SS_CENTER};
constexpr ControlKind kReadOnlyRichEdit{L"RichEdit20W", ES_READONLY | ES_MULTILINE, ES_READONLY | ES_MULTILINE};

// One control as the template lays it out; x, y, width and height in dialog units.
struct ExpectedControl {
  int Id;
  ControlKind Kind;
  std::wstring Text;
  RECT Units;
  bool Visible = true;
  bool Enabled = true;
};

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

// Turns x, y, width and height in dialog units into pixels as an 8-point
// "MS Shell Dlg 2" dialog of this process does; the program's dialogs must agree.
std::array<LONG, 4> Pixels(RECT units) {
  const DialogTemplate font(WS_POPUP | DS_SETFONT, 0, 0, L"MS Shell Dlg 2");
  const DLGPROC noMessages = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), font.Get(), nullptr, noMessages, 0);
  MapDialogRect(dialog, &units);
  DestroyWindow(dialog);
  return {units.left, units.top, units.right, units.bottom};
}

// x, y, width and height of a control in the client area of its dialog, in pixels.
std::array<LONG, 4> ClientPosition(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// Compares the dialog's controls, in the order the template makes them, with the
// table row by row; the dialog has no control beyond the table.
void ExpectLayout(HWND dialog, const std::vector<ExpectedControl>& table) {
  HWND control = GetWindow(dialog, GW_CHILD);
  for (const ExpectedControl& expected : table) {
    SCOPED_TRACE(testing::Message() << "control " << expected.Id << " at " << expected.Units.top);
    ASSERT_NE(nullptr, control) << "missing";
    wchar_t className[64] = {};
    GetClassNameW(control, className, 64);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    EXPECT_EQ(expected.Id, GetDlgCtrlID(control));
    EXPECT_STREQ(expected.Kind.ClassName, className);
    EXPECT_EQ(expected.Kind.Style, style & expected.Kind.Mask);
    EXPECT_EQ(expected.Text, AskedText(control));
    EXPECT_EQ(expected.Visible, (style & WS_VISIBLE) != 0);
    EXPECT_EQ(expected.Enabled, IsWindowEnabled(control) != FALSE);
    EXPECT_EQ(Pixels(expected.Units), ClientPosition(dialog, control));
    control = GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(nullptr, control) << "a control beyond the table";
}

bool HasUninstallEntry() { return KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry); }

struct SetupDialogs : SetupRun {
  SetupDialogs() : SetupRun(kFolder) {}
};

// The format boxes in the order the template makes them: two columns of nine, 12 units apart.
const std::pair<int, const wchar_t*> kFormats[] = {
    {IDC_ASSOCZPK, L"&ZPK"}, {IDC_ASSOCZIP, L"&ZIP"}, {IDC_ASSOC7Z, L"7Z"},   {IDC_ASSOCARJ, L"ARJ"},
    {IDC_ASSOCBZ2, L"BZ2"},  {IDC_ASSOCCAB, L"CAB"},  {IDC_ASSOCGZ, L"GZ"},   {IDC_ASSOCISO, L"ISO"},
    {IDC_ASSOCJAR, L"JAR"},  {IDC_ASSOCLZ, L"LZ"},    {IDC_ASSOCLZH, L"LZH"}, {IDC_ASSOCTAR, L"TAR"},
    {IDC_ASSOCUUE, L"UUE"},  {IDC_ASSOCXZ, L"XZ"},    {IDC_ASSOCZ, L"Z"},     {IDC_ASSOCZIPX, L"ZIPX"},
    {IDC_ASSOCZST, L"ZST"},  {IDC_ASSOC001, L"001"},
};

// Clears the cascaded-menu box as a click would, without waiting for what follows.
void ClearCascadedMenuBox(HWND dialog) {
  SendDlgItemMessageW(dialog, IDC_SHELLCASCADED, BM_SETCHECK, BST_UNCHECKED, 0);
  PressButton(dialog, IDC_SHELLCASCADED);
}

// Clicks a button and waits until the dialog has handled it.
void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

TEST_F(SetupDialogs, SettingsDialogShowsEveryControlAsLaidOut) {
  HWND dialog = OpenSetup(L"-setup");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(L"Configurazione Bramix", WindowText(dialog));
  std::vector<ExpectedControl> table = {
      {IDC_ASSOCWITH, kGroup, L"Associa a Bramix archivi in formato:", {7, 5, 127, 144}}};
  for (LONG i = 0; i < LONG(std::size(kFormats)); ++i)
    table.push_back({kFormats[i].first, kAutoBox, kFormats[i].second, {i < 9 ? 16 : 56, 21 + 12 * (i % 9), 37, 12}});
  table.insert(table.end(), {
      {IDC_ASSOCALL, kButton, L"Seleziona/Deseleziona &tutti", {16, 131, 108, 14}},
      {IDC_INTEGRATIONINTERFACE, kGroup, L"Interfaccia", {140, 5, 184, 57}},
      {IDC_LINKDESKTOP, kAutoBox, L"Aggiungi l'icona di Bramix al &desktop", {148, 19, 170, 12}},
      {IDC_LINKSTARTMENU, kAutoBox, L"Aggiungi Bramix al &menu \"Avvio\" / \"Start\"", {148, 31, 170, 12}},
      {IDC_LINKPROGRAMS, kAutoBox, L"Crea il &gruppo dei programmi di Bramix", {148, 43, 170, 12}},
      {IDC_SHELLINTEGRATION, kGroup, L"&Integra Bramix in \"Esplora risorse\"", {140, 65, 184, 84}},
      {IDC_SHELLEXT, kAutoBox, L"Integrazione con \"&Esplora risorse\"", {148, 78, 170, 12}},
      {IDC_SHELLCASCADED, kAutoBox, L"&Voci in cascata nel menu contestuale", {148, 90, 170, 12}},
      {IDC_SHELLICONS, kAutoBox, L"Ic&one nel menu contestuale", {148, 102, 170, 12}},
      {IDC_SHELLLEGACYMENU, kAutoBox, L"Menu contestuale vecc&hio stile", {148, 114, 170, 12}, false, false},
      {IDC_SETCONTEXTMENU, kButton, L"Vo&ci del menu contestuale...", {148, 131, 140, 14}},
      {-1, kGroup, L"", {7, 151, 317, 75}},
      {IDC_INSTHELPTEXT, kReadOnlyRichEdit, SetupHelpText(), {12, 159, 306, 62}},
      {IDOK, kDefaultButton, L"O&k", {91, 233, 70, 14}},
      {IDHELP, kButton, L"&?", {169, 233, 70, 14}},
  });
  ExpectLayout(dialog, table);
  PressButton(dialog, IDCANCEL);
}

TEST_F(SetupDialogs, CompletionDialogShowsEveryControlAsLaidOut) {
  HWND done = ConfirmSetup(OpenSetup(L"-setup"));
  ASSERT_NE(nullptr, done) << "no completion dialog";
  EXPECT_EQ(L"Configurazione Bramix", WindowText(done));
  const std::vector<ExpectedControl> table = {
      {-1, kGroup, L"", {8, 2, 314, 135}},
      {IDC_INSTINFOFOLDER, kLabel, L"Bramix è stato installato correttamente nella cartella:", {17, 14, 297, 8}},
      {IDC_INSTFOLDER, kLabel, kFolder, {17, 23, 297, 8}},
      {IDC_INSTINFOOPTIONS, kLabel,
       L"Selezionate la voce \"Configurazione...\" del menu \"Opzioni\" di Bramix per la modifica della configurazione.",
       {17, 35, 297, 16}},
      {IDC_INSTINFOHELP, kLabel,
       L"Se installate Bramix per la prima volta, non dimenticatevi di leggere la guida inclusa.", {17, 55, 297, 16}},
      {IDC_VIEWHELP, kButton, L"Leggi la &guida", {10, 144, 75, 14}},
      {IDC_VIEWLICENSE, kButton, L"Leggi la &licenza", {88, 144, 75, 14}},
      {IDC_HOMEPAGE, kButton, L"Sito &Internet", {244, 144, 75, 14}},
      {-1, kGroup, L"", {8, 162, 314, 64}},
      {IDC_THANKS, kCentredLabel, L"Grazie per aver deciso d'utilizzare Bramix !", {17, 178, 297, 16}},
      {IDOK, kDefaultButton, L"&Chiudi", {130, 233, 70, 14}},
  };
  ExpectLayout(done, table);
  PressButton(done, IDOK);
  EXPECT_EQ(0u, WaitForEnd());
}

TEST_F(SetupDialogs, ConfirmingStoresAppliesAndRegistersTheChoices) {
  HWND done = ConfirmSetup(OpenSetup(L"-setup -initD1"));
  ASSERT_NE(nullptr, done) << "no completion dialog";
  EXPECT_EQ(1u, StoredDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup\\Links", L"Desktop")) << "not stored";
  EXPECT_EQ(L"Bramix", StoredText(HKEY_CLASSES_ROOT, L".zpk", nullptr)) << "not applied";
  EXPECT_EQ(std::wstring(kFolder) + L"\\Uninstall.exe",
            StoredText(HKEY_LOCAL_MACHINE, kUninstallEntry, L"UninstallString"))
      << "not registered";
  PressButton(done, IDOK);
  EXPECT_EQ(0u, WaitForEnd());
}

TEST_F(SetupDialogs, EscEndsWithExitCodeOneAndLeavesTheRegistryAsItWas) {
  const RegistryLines before = RegistrySnapshot();
  PressButton(OpenSetup(L"-setup"), IDCANCEL);
  EXPECT_EQ(1u, WaitForEnd());
  ExpectSameLines(before, RegistrySnapshot());
}

TEST_F(SetupDialogs, SilentSetupConfirmsBothDialogsWithoutShowingThem) {
  using Run = std::pair<const wchar_t*, const wchar_t*>;  // sfxcmd (null: none) and the arguments
  for (const auto& [sfxcmd, args] : {Run{nullptr, L"-setup -s"}, Run{L"\"C:\\Bramix Setup.exe\" -s", L"-setup"}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(sfxcmd ? sfxcmd : L"") + L" | " + args));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallEntry);
    const ScopedEnvVar variable(L"sfxcmd", sfxcmd);
    EXPECT_EQ(0u, RunWithoutWindow(install_.Exe(), args));
    EXPECT_TRUE(HasUninstallEntry()) << "not confirmed";
  }
}

TEST_F(SetupDialogs, MsiSetupShowsNoCompletionDialogAndWritesNoAddRemoveEntry) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallEntry);
  HWND done = ConfirmSetup(OpenSetup(L"-setup -msi"));
  EXPECT_EQ(nullptr, done) << "a completion dialog";
  if (done != nullptr) PressButton(done, IDOK);
  EXPECT_EQ(0u, WaitForEnd());
  EXPECT_EQ(L"Bramix", StoredText(HKEY_CLASSES_ROOT, L".zpk", nullptr)) << "not applied";
  EXPECT_FALSE(HasUninstallEntry());
}

// Started with every format but the last ticked: the first click ticks them all, the second
// clears them all.
TEST_F(SetupDialogs, SelectAllTicksEveryFormatUnlessAllAreTickedAndThenClearsThem) {
  HWND dialog = OpenSetup(L"-setup -initA111111111111111110");
  for (const auto& [click, expected] : {std::pair{"first", BST_CHECKED}, std::pair{"second", BST_UNCHECKED}}) {
    SCOPED_TRACE(click);
    Click(dialog, IDC_ASSOCALL);
    for (const auto& [id, name] : kFormats)
      EXPECT_EQ(expected, IsDlgButtonChecked(dialog, id)) << testing::PrintToString(std::wstring(name));
  }
}

// Windows 11 comes from build 22000 with WMI out of reach (Wine's WMI names a Windows 10).
TEST_F(SetupDialogs, ClearingTheCascadedMenuOnWindows11ShowsTheSingleItemNoteOnce) {
  const ScopedPrefixVersion build(10, 0, L"22000");
  const ScopedWithoutWmi withoutWmi({L"Uninstall.exe"});
  HWND dialog = OpenSetup(L"-setup");
  ClearCascadedMenuBox(dialog);
  HWND note = NextDialog(dialog, kSetupTimeout);
  ASSERT_NE(nullptr, note) << "no note";
  EXPECT_EQ(BuiltInString(IDS_SINGLETOPITEM), ControlText(note, kBoxText));
  PressButton(note, IDOK);
  while (IsWindow(note)) Sleep(50);
  CheckDlgButton(dialog, IDC_SHELLCASCADED, BST_CHECKED);
  ClearCascadedMenuBox(dialog);
  EXPECT_EQ(nullptr, NextDialog(dialog, 2000)) << "a second note";
}

TEST_F(SetupDialogs, ClearingTheShellExtensionDisablesItsMenuBoxesAtOnce) {
  HWND dialog = OpenSetup(L"-setup -initS1");
  SendDlgItemMessageW(dialog, IDC_SHELLEXT, BM_SETCHECK, BST_UNCHECKED, 0);
  Click(dialog, IDC_SHELLEXT);
  for (int id : {IDC_SHELLCASCADED, IDC_SHELLICONS})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << testing::PrintToString(ControlText(dialog, id));
}
