// Setup's three dialogs through the real Uninstall.exe in another language: a
// language file translates, resizes and mirrors them, a language library brings its
// own templates, bad files leave them usable; their help, and what the completion
// dialog opens through the shell.
#include <gtest/gtest.h>
#include <windows.h>
#include <htmlhelp.h>

#include <iterator>
#include <string>

#include "e2e/round_trip_leftovers.h"
#include "e2e/staged_product.h"
#include "resources/resource_ids.h"
#include "support/registry_snapshot.h"
#include "support/registry_values.h"
#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\Bramix Setup Localized";

// Translates a caption and one control of each dialog and widens each by a fifth.
constexpr char kTranslatingFile[] =
    "***messages**\n"
    ":DIALOG SETUPDLG\nCAPTION Setup caption\nIDC_ASSOCALL Select all\nSIZE 120*100\n"
    ":DIALOG SETUPCONTEXTITEMS\nCAPTION Items caption\nIDC_CONTEXTEXTRACTHERE Extract here\nSIZE 120*100\n"
    ":DIALOG DONEDLG\nCAPTION Done caption\nIDC_INSTINFOHELP Read the guide\nSIZE 120*100\n";
constexpr char kRightToLeftFile[] = "***messages**\n:DIRECTION RTL\n";

// What a dialog showed: its caption, the text of the control the file translates,
// its outer rectangle on the screen and its client rectangle, whether it was
// mirrored, and where on the screen the client area of its owner began.
struct Seen {
  std::wstring Caption;
  std::wstring Text;
  RECT Window{};
  RECT Client{};
  bool Mirrored = false;
  POINT OwnerOrigin{};
};

struct SeenDialogs {
  Seen Setup;
  Seen Items;
  Seen Done;
};

LONG Centre(LONG low, LONG high) { return (low + high) / 2; }
LONG Width(const RECT& rect) { return rect.right - rect.left; }

// Reads what the dialog shows, with the text of the control `translatedId`.
Seen Look(HWND dialog, int translatedId) {
  Seen seen;
  seen.Caption = WindowText(dialog);
  seen.Text = ControlText(dialog, translatedId);
  GetWindowRect(dialog, &seen.Window);
  GetClientRect(dialog, &seen.Client);
  seen.Mirrored = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
  if (HWND owner = GetWindow(dialog, GW_OWNER)) ClientToScreen(owner, &seen.OwnerOrigin);
  return seen;
}

void WaitUntilClosed(HWND dialog) {
  for (int i = 0; i < 600 && IsWindow(dialog); ++i) Sleep(50);
}

// Gives the installation a language file with this text, or with null none.
void WriteLanguageFile(const StagedInstallation& install, const char* text) {
  DeleteFileW(install.Path(L"uninstall.lng").c_str());
  if (text != nullptr) install.WriteFile(L"uninstall.lng", text);
}

class SetupLocalized : public SetupRun {
 protected:
  SetupLocalized() : SetupRun(kFolder) {}

  // Runs setup through its three dialogs: the settings dialog, the context items
  // dialog opened from its button and cancelled, the completion dialog; what each showed.
  SeenDialogs WalkDialogs() {
    SeenDialogs seen;
    HWND setup = OpenSetup(L"-setup");
    if (setup == nullptr) return seen;
    seen.Setup = Look(setup, IDC_ASSOCALL);
    PressButton(setup, IDC_SETCONTEXTMENU);
    HWND items = NextDialog(setup, kSetupTimeout);
    EXPECT_NE(nullptr, items) << "no context items dialog";
    if (items == nullptr) return seen;
    seen.Items = Look(items, IDC_CONTEXTEXTRACTHERE);
    PressButton(items, IDCANCEL);
    WaitUntilClosed(items);
    HWND done = ConfirmSetup(setup);
    EXPECT_NE(nullptr, done) << "no completion dialog";
    if (done == nullptr) return seen;
    seen.Done = Look(done, IDC_INSTINFOHELP);
    PressButton(done, IDOK);
    EXPECT_EQ(0u, WaitForEnd());
    return seen;
  }
};

// The dialogs seen once without a language file, once with the translating file and
// once with a right-to-left one, shared by the tests of the suite.
class LanguageFileDialogs : public SetupLocalized {
 protected:
  void SetUp() override {
    SetupLocalized::SetUp();
    if (!walked_) {
      walked_ = true;
      plain_ = WalkDialogs();
      WriteLanguageFile(install_, kTranslatingFile);
      translated_ = WalkDialogs();
      WriteLanguageFile(install_, kRightToLeftFile);
      mirrored_ = WalkDialogs();
      WriteLanguageFile(install_, nullptr);
    }
  }
  struct Row {
    const char* Name;
    Seen SeenDialogs::*Dialog;
  };
  static constexpr Row kRows[] = {
      {"SETUPDLG", &SeenDialogs::Setup},
      {"SETUPCONTEXTITEMS", &SeenDialogs::Items},
      {"DONEDLG", &SeenDialogs::Done},
  };
  static inline bool walked_ = false;
  static inline SeenDialogs plain_;
  static inline SeenDialogs translated_;
  static inline SeenDialogs mirrored_;
};

}  // namespace

TEST_F(LanguageFileDialogs, CaptionsComeFromTheFile) {
  const wchar_t* expected[] = {L"Setup caption", L"Items caption", L"Done caption"};
  for (size_t i = 0; i < std::size(kRows); ++i) {
    SCOPED_TRACE(kRows[i].Name);
    EXPECT_EQ(expected[i], (translated_.*kRows[i].Dialog).Caption);
  }
}

TEST_F(LanguageFileDialogs, ControlTextsComeFromTheFile) {
  const wchar_t* expected[] = {L"Select all", L"Extract here", L"Read the guide"};
  for (size_t i = 0; i < std::size(kRows); ++i) {
    SCOPED_TRACE(kRows[i].Name);
    EXPECT_EQ(expected[i], (translated_.*kRows[i].Dialog).Text);
  }
}

TEST_F(LanguageFileDialogs, SizeWidensTheClientAreaByItsPercentage) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.Name);
    const Seen& plain = plain_.*row.Dialog;
    const Seen& sized = translated_.*row.Dialog;
    EXPECT_NEAR(Width(plain.Client) * 120 / 100, Width(sized.Client), 2);
    // Sizes are counted one pixel wider than the window's own, so a kept height may gain one.
    EXPECT_NEAR(plain.Client.bottom, sized.Client.bottom, 1);
  }
}

TEST_F(LanguageFileDialogs, CentredDialogsKeepTheirCentreWhenResized) {
  for (const Row& row : {kRows[0], kRows[2]}) {
    SCOPED_TRACE(row.Name);
    const Seen& plain = plain_.*row.Dialog;
    const Seen& sized = translated_.*row.Dialog;
    EXPECT_NEAR(Centre(plain.Window.left, plain.Window.right), Centre(sized.Window.left, sized.Window.right), 1);
    EXPECT_NEAR(Centre(plain.Window.top, plain.Window.bottom), Centre(sized.Window.top, sized.Window.bottom), 1);
  }
}

// Placed from its owner's client area, which moves when the owner is resized.
TEST_F(LanguageFileDialogs, ContextItemsDialogKeepsItsLeftEdgeWhenResized) {
  const Seen& plain = plain_.Items;
  const Seen& sized = translated_.Items;
  EXPECT_EQ(plain.Window.left - plain.OwnerOrigin.x, sized.Window.left - sized.OwnerOrigin.x);
}

TEST_F(LanguageFileDialogs, RightToLeftFileMirrorsEachDialog) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.Name);
    EXPECT_FALSE((plain_.*row.Dialog).Mirrored);
    EXPECT_TRUE((mirrored_.*row.Dialog).Mirrored);
  }
}

namespace {

constexpr wchar_t kTemplateText[] = L"Seleziona/Deseleziona &tutti";
constexpr wchar_t kLibraryText[] = L"Modello della libreria tutti";
static_assert(std::size(kTemplateText) == std::size(kLibraryText));

// Puts into the installation's language library the program's settings dialog
// template with the text of its select-all button changed (same length, so that
// nothing else of the template moves). False when it could not be done.
bool WriteLibraryTemplate(const StagedInstallation& install) {
  // The library also holds a string, as a translation's library does.
  if (!WriteLanguageLibrary(install, {{IDS_HOMEURL, L"https://library.example/"}})) return false;
  UniqueModule program(LoadLibraryExW(BuiltUninstallExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  HRSRC found = program ? FindResourceW(program.get(), L"SETUPDLG", RT_DIALOG) : nullptr;
  if (found == nullptr) return false;
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(program.get(), found)));
  std::string dialog(bytes, SizeofResource(program.get(), found));
  const std::string from(reinterpret_cast<const char*>(kTemplateText), sizeof(kTemplateText) - sizeof(wchar_t));
  const size_t at = dialog.find(from);
  if (at == std::string::npos) return false;
  dialog.replace(at, from.size(), reinterpret_cast<const char*>(kLibraryText), from.size());
  HANDLE update = BeginUpdateResourceW(install.Path(L"zpklng.dll").c_str(), FALSE);
  if (update == nullptr) return false;
  const bool added = UpdateResourceW(update, RT_DIALOG, L"SETUPDLG", LANG_NEUTRAL, dialog.data(),
                                     static_cast<DWORD>(dialog.size()));
  return EndUpdateResourceW(update, !added) && added;
}

}  // namespace

TEST_F(SetupLocalized, LanguageLibraryTemplateShapesTheSettingsDialog) {
  ASSERT_TRUE(WriteLibraryTemplate(install_));
  HWND setup = OpenSetup(L"-setup");
  ASSERT_NE(nullptr, setup);
  EXPECT_EQ(kLibraryText, ControlText(setup, IDC_ASSOCALL));
  PressButton(setup, IDCANCEL);
  EXPECT_EQ(1u, WaitForEnd());
}

namespace {

// A file of 10,000 lines in the settings dialog's section: every other one names a
// control, the rest are names no dialog knows.
std::string ManyEntries() {
  std::string text = "***messages**\n:DIALOG SETUPDLG\n";
  for (int i = 0; i < 5000; ++i) text += "IDC_ASSOCZIP Zip " + std::to_string(i) + "\nUNKNOWN" + std::to_string(i) + " x\n";
  return text;
}

// The same lines in the section of each of the three dialogs.
std::string InEachDialog(const std::string& lines) {
  std::string text = "***messages**\n";
  for (const char* name : {"SETUPDLG", "SETUPCONTEXTITEMS", "DONEDLG"}) text += ":DIALOG " + std::string(name) + "\n" + lines;
  return text;
}

}  // namespace

TEST_F(SetupLocalized, BadDialogSectionsLeaveEveryDialogUsable) {
  struct BadFile {
    const char* Name;
    std::string Text;
  };
  const BadFile files[] = {
      {"unknown controls", InEachDialog("IDC_NOSUCHBOX Nothing\nIDC_ASSOCZIPX_TOO Nothing\nZ 5\n")},
      {"SIZE 0", InEachDialog("SIZE 0\n")},
      {"SIZE 0*0", InEachDialog("SIZE 0*0\n")},
      {"SIZE 1000*1000", InEachDialog("SIZE 1000*1000\n")},
      {"SIZE garbage", InEachDialog("SIZE big*wide\n")},
      {"10,000 entries", ManyEntries()},
  };
  for (const BadFile& file : files) {
    SCOPED_TRACE(file.Name);
    install_.WriteFile(L"uninstall.lng", file.Text);
    HWND setup = OpenSetup(L"-setup");
    ASSERT_NE(nullptr, setup);
    PressButton(setup, IDC_SETCONTEXTMENU);
    HWND items = NextDialog(setup, kSetupTimeout);
    ASSERT_NE(nullptr, items) << "no context items dialog";
    PressButton(items, IDOK);
    WaitUntilClosed(items);
    HWND done = ConfirmSetup(setup);
    ASSERT_NE(nullptr, done) << "no completion dialog";
    PressButton(done, IDOK);
    EXPECT_EQ(0u, WaitForEnd());
  }
}

namespace {

// The first line a recorder wrote (its arguments), waiting for it up to 20 seconds;
// empty when none came.
std::string RecordedLine(const std::wstring& recorder) {
  const std::wstring path = recorder + L".args";
  for (int i = 0; i < 200; ++i) {
    if (i > 0) Sleep(100);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
    char bytes[1024] = {};
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), bytes, sizeof(bytes) - 1, &read, nullptr)) continue;
    const std::string text(bytes, read);
    if (text.find('\n') != std::string::npos) return text.substr(0, text.find('\n'));
  }
  return "";
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The completion dialog with the shell's "open" of text files and of https addresses
// turned to recorders in the installation; the prefix's handlers come back afterwards.
class CompletionShellOpen : public SetupLocalized {
 protected:
  void SetUp() override {
    SetupLocalized::SetUp();
    install_.WriteFile(L"licenza.txt", "licence");
    for (const wchar_t* name : {L"text_opener.exe", L"web_opener.exe"})
      CopyFileW((TestBinFolder() + L"\\args_recorder.exe").c_str(), install_.Path(name).c_str(), FALSE);
    txtClass_.SetText(L"txtfile");
    txtOpen_.SetText(L"\"" + install_.Path(L"text_opener.exe") + L"\" \"%1\"");
    httpsOpen_.SetText(L"\"" + install_.Path(L"web_opener.exe") + L"\" \"%1\"");
  }
  ~CompletionShellOpen() override {
    if (!hadTxtKey_) RegDeleteKeyW(HKEY_CLASSES_ROOT, L".txt");
  }

  const bool hadTxtKey_ = KeyExists(HKEY_CLASSES_ROOT, L".txt");
  const ScopedRegistryValue txtClass_{HKEY_CLASSES_ROOT, L".txt", nullptr};
  const ScopedRegistryValue txtOpen_{HKEY_CLASSES_ROOT, L"txtfile\\shell\\open\\command", nullptr};
  const ScopedRegistryValue httpsOpen_{HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", nullptr};
};

}  // namespace

TEST_F(CompletionShellOpen, LicenceAndHomePageButtonsOpenTheirTargetsThroughTheShell) {
  struct Target {
    const char* Name;
    int Button;
    const wchar_t* Opener;
    std::string Expected;
  };
  const Target targets[] = {
      {"licence", IDC_VIEWLICENSE, L"text_opener.exe", Narrow(install_.Path(L"licenza.txt"))},
      {"home page", IDC_HOMEPAGE, L"web_opener.exe", "https://www.bramix.example/"},
  };
  HWND done = ConfirmSetup(OpenSetup(L"-setup"));
  ASSERT_NE(nullptr, done) << "no completion dialog";
  for (const Target& target : targets) {
    SCOPED_TRACE(target.Name);
    PressButton(done, target.Button);
    EXPECT_EQ(target.Expected, RecordedLine(install_.Path(target.Opener)));
  }
  PressButton(done, IDOK);
  EXPECT_EQ(0u, WaitForEnd());
}

namespace {

constexpr wchar_t kSpy[] = L"html_help_spy.dll";

// Loads the spy into the window's process through a thread of its own; false when it did not load.
bool LoadSpy(HWND window, const std::wstring& dll) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const UniqueKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid));
  const size_t bytes = (dll.size() + 1) * sizeof(wchar_t);
  void* remote = process ? VirtualAllocEx(process.get(), nullptr, bytes, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  if (remote == nullptr || !WriteProcessMemory(process.get(), remote, dll.c_str(), bytes, nullptr)) return false;
  const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(LoadLibraryW));
  const UniqueKernelHandle thread(CreateRemoteThread(process.get(), nullptr, 0, load, remote, 0, nullptr));
  DWORD loaded = 0;
  return thread && WaitForSingleObject(thread.get(), 10000) == WAIT_OBJECT_0 &&
         GetExitCodeThread(thread.get(), &loaded) && loaded != 0;
}

// Brings the dialog to the front and presses F1 on the keyboard, as a user would.
void PressF1(HWND dialog) {
  SetForegroundWindow(dialog);
  Sleep(200);
  INPUT keys[2] = {{.type = INPUT_KEYBOARD, .ki = {.wVk = VK_F1}},
                   {.type = INPUT_KEYBOARD, .ki = {.wVk = VK_F1, .dwFlags = KEYEVENTF_KEYUP}}};
  SendInput(2, keys, sizeof(INPUT));
}

struct HelpDialog {
  const char* Name;
  bool IsContextItems;
  const wchar_t* Topic;
};
constexpr HelpDialog kHelpDialogs[] = {
    {"SETUPDLG", false, L"HELPIntegrationSettings"},
    {"SETUPCONTEXTITEMS", true, L"HELPContextItems"},
};

// Setup with the built help file in the installation, the spy loaded into the program
// before it is asked for help.
class SetupHelp : public SetupLocalized {
 protected:
  void SetUp() override {
    SetupLocalized::SetUp();
    ASSERT_TRUE(CopyFileW((TestBinFolder() + L"\\bramix.chm").c_str(), install_.Path(L"bramix.chm").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((TestBinFolder() + L"\\" + kSpy).c_str(), install_.Path(kSpy).c_str(), FALSE));
  }
  // The row's dialog, the spy loaded; null when either failed.
  HWND OpenWithSpy(const HelpDialog& row) {
    DeleteFileW(install_.Path(std::wstring(kSpy) + L".args").c_str());
    HWND dialog = OpenSetup(L"-setup");
    if (dialog == nullptr || !LoadSpy(dialog, install_.Path(kSpy))) return nullptr;
    if (!row.IsContextItems) return dialog;
    PressButton(dialog, IDC_SETCONTEXTMENU);
    return NextDialog(dialog, kSetupTimeout);
  }
  // The help control was given this command and address, and its window appeared.
  void ExpectHelpShown(UINT command, const std::wstring& address) {
    EXPECT_EQ(std::to_string(command) + " " + Narrow(address), RecordedLine(install_.Path(kSpy)));
    EXPECT_NE(nullptr, program_.NextWindow(L"HH Parent", nullptr, 20000)) << "no help window";
  }
  // Asks each dialog that has a topic for help with `ask`: the help opens at that topic.
  void ExpectEachDialogsTopic(void (*ask)(HWND)) {
    for (const HelpDialog& row : kHelpDialogs) {
      SCOPED_TRACE(row.Name);
      HWND dialog = OpenWithSpy(row);
      ASSERT_NE(nullptr, dialog);
      ask(dialog);
      ExpectHelpShown(HH_DISPLAY_TOPIC, install_.Path(L"bramix.chm") + L"::/html/" + row.Topic + L".htm");
      program_.Kill();
    }
  }
};

}  // namespace

TEST_F(SetupHelp, F1OpensTheDialogsTopic) { ExpectEachDialogsTopic(PressF1); }

TEST_F(SetupHelp, HelpButtonOpensTheDialogsTopic) {
  ExpectEachDialogsTopic([](HWND dialog) { PressButton(dialog, IDHELP); });
}

TEST_F(SetupHelp, CompletionGuideButtonOpensTheContents) {
  HWND setup = OpenWithSpy(kHelpDialogs[0]);
  ASSERT_NE(nullptr, setup);
  HWND done = ConfirmSetup(setup);
  ASSERT_NE(nullptr, done) << "no completion dialog";
  PressButton(done, IDC_VIEWHELP);
  ExpectHelpShown(HH_DISPLAY_TOC, install_.Path(L"bramix.chm"));
}

TEST_F(SetupLocalized, UninstallAfterAnAllOnSilentSetupGivesTheRegistryBackAsItWas) {
  const RegistryLines before = RegistrySnapshot();
  ASSERT_EQ(0u, RunToTheEnd(install_.Exe(), L"-setup -s -initA111111111111111111C1D1I1M1P1S1", install_.Folder()));
  EXPECT_EQ(L"Bramix", StoredText(HKEY_CLASSES_ROOT, L".001", nullptr)) << "not all formats applied";
  RunToTheEnd(install_.Exe(), L"/s", install_.Folder());
  const RegistryLines after = RegistrySnapshot();
  for (const std::wstring& line : Minus(Minus(after, before), kEmptyKeysLeft))
    ADD_FAILURE() << "left behind: " << testing::PrintToString(line);
  for (const std::wstring& line : Minus(before, after)) ADD_FAILURE() << "lost: " << testing::PrintToString(line);
}
