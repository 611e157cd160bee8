// Setup's dialogs through the real Uninstall.exe in another language or from bad files,
// their help, what the completion dialog opens, the silent setup undone by the uninstall.
#include <gtest/gtest.h>
#include <windows.h>
#include <htmlhelp.h>

#include <string>

#include "e2e/round_trip_leftovers.h"
#include "e2e/staged_product.h"
#include "resources/resource_ids.h"
#include "support/file_bytes.h"
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

// What a dialog showed; OwnerOrigin: where on the screen its owner's client area began.
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

// Reads what the dialog shows, with the text of the control `translatedId`.
Seen Look(HWND dialog, int translatedId) {
  Seen seen;
  seen.Caption = WindowText(dialog);
  seen.Text = ControlText(dialog, translatedId);
  GetWindowRect(dialog, &seen.Window);
  GetClientRect(dialog, &seen.Client);
  seen.Mirrored = Mirrored(dialog);
  if (HWND owner = GetWindow(dialog, GW_OWNER)) ClientToScreen(owner, &seen.OwnerOrigin);
  return seen;
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
    for (int i = 0; i < 600 && IsWindow(items); ++i) Sleep(50);
    HWND done = ConfirmSetup(setup);
    EXPECT_NE(nullptr, done) << "no completion dialog";
    if (done == nullptr) return seen;
    seen.Done = Look(done, IDC_INSTINFOHELP);
    PressButton(done, IDOK);
    EXPECT_EQ(0u, WaitForEnd());
    return seen;
  }
};

// The dialogs seen without a language file, with the translating one and with the RTL one.
class LanguageFileDialogs : public SetupLocalized {
 protected:
  void SetUp() override {
    SetupLocalized::SetUp();
    if (!walked_) {
      walked_ = true;
      plain_ = WalkDialogs();
      install_.WriteFile(L"uninstall.lng", kTranslatingFile);
      translated_ = WalkDialogs();
      install_.WriteFile(L"uninstall.lng", kRightToLeftFile);
      mirrored_ = WalkDialogs();
    }
  }
  // A dialog, and its caption and control text in the translating file.
  struct Row {
    const char* Name;
    Seen SeenDialogs::*Dialog;
    const wchar_t* Caption;
    const wchar_t* Text;
  };
  static constexpr Row kRows[] = {
      {"SETUPDLG", &SeenDialogs::Setup, L"Setup caption", L"Select all"},
      {"SETUPCONTEXTITEMS", &SeenDialogs::Items, L"Items caption", L"Extract here"},
      {"DONEDLG", &SeenDialogs::Done, L"Done caption", L"Read the guide"},
  };
  static inline bool walked_ = false;
  static inline SeenDialogs plain_;
  static inline SeenDialogs translated_;
  static inline SeenDialogs mirrored_;
};

TEST_F(LanguageFileDialogs, CaptionsComeFromTheFile) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(row.Caption, (translated_.*row.Dialog).Caption);
  }
}

TEST_F(LanguageFileDialogs, ControlTextsComeFromTheFile) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(row.Text, (translated_.*row.Dialog).Text);
  }
}

TEST_F(LanguageFileDialogs, SizeWidensTheClientAreaByItsPercentage) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.Name);
    const Seen& plain = plain_.*row.Dialog;
    const Seen& sized = translated_.*row.Dialog;
    EXPECT_NEAR(plain.Client.right * 120 / 100, sized.Client.right, 2);
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

// The same lines in the section of each of the three dialogs.
std::string InEachDialog(const std::string& lines) {
  std::string text = "***messages**\n";
  for (const char* name : {"SETUPDLG", "SETUPCONTEXTITEMS", "DONEDLG"}) text += ":DIALOG " + std::string(name) + "\n" + lines;
  return text;
}

TEST_F(SetupLocalized, SizesThatCannotBeUsedAsTheyStandLeaveEveryDialogUsable) {
  for (const std::string size : {"0", "1000*1000", "big*wide"}) {
    SCOPED_TRACE(size);
    install_.WriteFile(L"uninstall.lng", InEachDialog("SIZE " + size + "\n"));
    EXPECT_LT(0, WalkDialogs().Setup.Client.right) << "settings dialog without width";
  }
}

// Every other line names a control of the settings dialog, the rest names none.
TEST_F(SetupLocalized, TenThousandEntriesLeaveEveryDialogUsable) {
  std::string text = "***messages**\n:DIALOG SETUPDLG\n";
  for (int i = 0; i < 5000; ++i) text += "IDC_ASSOCZIP Zip " + std::to_string(i) + "\nUNKNOWN" + std::to_string(i) + " x\n";
  install_.WriteFile(L"uninstall.lng", text);
  WalkDialogs();
}

constexpr wchar_t kSpy[] = L"html_help_spy.dll";

// The first line a recorder wrote, waiting for it up to 20 seconds; empty when none came.
std::string RecordedLine(const std::wstring& recorder) {
  for (int i = 0; i < 200; ++i) {
    const std::string text = ReadFileBytes(recorder + L".args");
    if (text.find('\n') != std::string::npos) return text.substr(0, text.find('\n'));
    Sleep(100);
  }
  return "";
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Loads the spy into the window's process through a thread of its own; false when that failed.
bool LoadSpy(HWND window, const std::wstring& dll) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const UniqueKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid));
  const size_t bytes = (dll.size() + 1) * sizeof(wchar_t);
  void* remote = process ? VirtualAllocEx(process.get(), nullptr, bytes, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  if (remote == nullptr || !WriteProcessMemory(process.get(), remote, dll.c_str(), bytes, nullptr)) return false;
  const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(LoadLibraryW));
  const UniqueKernelHandle thread(CreateRemoteThread(process.get(), nullptr, 0, load, remote, 0, nullptr));
  return thread && WaitForSingleObject(thread.get(), 10000) == WAIT_OBJECT_0;
}

// Brings the dialog to the front and presses F1 on the keyboard, as a user would.
void PressF1(HWND dialog) {
  SetForegroundWindow(dialog);
  Sleep(200);
  INPUT keys[2] = {{.type = INPUT_KEYBOARD, .ki = {.wVk = VK_F1}},
                   {.type = INPUT_KEYBOARD, .ki = {.wVk = VK_F1, .dwFlags = KEYEVENTF_KEYUP}}};
  SendInput(2, keys, sizeof(INPUT));
}

// Setup with recorders for what its buttons open: the spy, loaded into the program, for
// the help control (the built help file in the installation), and one program for the
// shell's "open" of text files and of https addresses; the prefix's handlers come back.
class SetupOpens : public SetupLocalized {
 protected:
  void SetUp() override {
    SetupLocalized::SetUp();
    install_.CopyHelper(L"bramix.chm", L"bramix.chm");
    install_.CopyHelper(kSpy, kSpy);
    install_.WriteFile(L"licenza.txt", "licence");
    install_.CopyHelper(L"args_recorder.exe", L"opener.exe");
    txtClass_.SetText(L"txtfile");
    txtOpen_.SetText(L"\"" + install_.Path(L"opener.exe") + L"\" \"%1\"");
    httpsOpen_.SetText(L"\"" + install_.Path(L"opener.exe") + L"\" \"%1\"");
  }
  ~SetupOpens() override {
    if (!hadTxtKey_) RegDeleteKeyW(HKEY_CLASSES_ROOT, L".txt");
  }
  // The settings dialog, the spy loaded; null when either failed.
  HWND OpenWithSpy() {
    HWND setup = OpenSetup(L"-setup");
    return setup != nullptr && LoadSpy(setup, install_.Path(kSpy)) ? setup : nullptr;
  }
  // The completion dialog after the settings dialog, the spy loaded; null when that failed.
  HWND CompletionDialog() {
    HWND setup = OpenWithSpy();
    return setup != nullptr ? ConfirmSetup(setup) : nullptr;
  }
  // The help control was given this command and address, and its window appeared.
  void ExpectHelpShown(UINT command, const std::wstring& address) {
    EXPECT_EQ(std::to_string(command) + " " + Narrow(address), RecordedLine(install_.Path(kSpy)));
    EXPECT_NE(nullptr, program_.NextWindow(L"HH Parent", nullptr, 20000)) << "no help window";
  }

  const bool hadTxtKey_ = KeyExists(HKEY_CLASSES_ROOT, L".txt");
  const ScopedRegistryValue txtClass_{HKEY_CLASSES_ROOT, L".txt", nullptr};
  const ScopedRegistryValue txtOpen_{HKEY_CLASSES_ROOT, L"txtfile\\shell\\open\\command", nullptr};
  const ScopedRegistryValue httpsOpen_{HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", nullptr};
};

TEST_F(SetupOpens, LicenceButtonOpensTheLicenceThroughTheShell) {
  HWND done = CompletionDialog();
  ASSERT_NE(nullptr, done) << "no completion dialog";
  PressButton(done, IDC_VIEWLICENSE);
  EXPECT_EQ(Narrow(install_.Path(L"licenza.txt")), RecordedLine(install_.Path(L"opener.exe")));
}

TEST_F(SetupOpens, HomePageButtonOpensTheAddressThroughTheShell) {
  HWND done = CompletionDialog();
  ASSERT_NE(nullptr, done) << "no completion dialog";
  PressButton(done, IDC_HOMEPAGE);
  EXPECT_EQ("https://www.bramix.example/", RecordedLine(install_.Path(L"opener.exe")));
}

// Every dialog passes F1 and its help button to the same handler with its own topic:
// F1 is pressed in one dialog, the button in the other.
TEST_F(SetupOpens, F1InTheSettingsDialogOpensItsTopic) {
  HWND setup = OpenWithSpy();
  ASSERT_NE(nullptr, setup);
  PressF1(setup);
  ExpectHelpShown(HH_DISPLAY_TOPIC, install_.Path(L"bramix.chm::/html/HELPIntegrationSettings.htm"));
}

TEST_F(SetupOpens, HelpButtonInTheContextItemsDialogOpensItsTopic) {
  HWND setup = OpenWithSpy();
  ASSERT_NE(nullptr, setup);
  PressButton(setup, IDC_SETCONTEXTMENU);
  HWND items = NextDialog(setup, kSetupTimeout);
  ASSERT_NE(nullptr, items) << "no context items dialog";
  PressButton(items, IDHELP);
  ExpectHelpShown(HH_DISPLAY_TOPIC, install_.Path(L"bramix.chm::/html/HELPContextItems.htm"));
}

TEST_F(SetupOpens, CompletionGuideButtonOpensTheContents) {
  HWND done = CompletionDialog();
  ASSERT_NE(nullptr, done) << "no completion dialog";
  PressButton(done, IDC_VIEWHELP);
  ExpectHelpShown(HH_DISPLAY_TOC, install_.Path(L"bramix.chm"));
}

TEST_F(SetupLocalized, UninstallAfterAnAllOnSilentSetupGivesTheRegistryBackAsItWas) {
  const RegistryLines before = RegistrySnapshot();
  ASSERT_EQ(0u, install_.Run(L"-setup -s -initA111111111111111111C1D1I1M1P1S1"));
  EXPECT_EQ(L"Bramix", StoredText(HKEY_CLASSES_ROOT, L".001", nullptr)) << "not all formats applied";
  install_.Uninstall();
  const RegistryLines after = RegistrySnapshot();
  for (const std::wstring& line : Minus(Minus(after, before), kEmptyKeysLeft))
    ADD_FAILURE() << "left behind: " << testing::PrintToString(line);
  for (const std::wstring& line : Minus(before, after)) ADD_FAILURE() << "lost: " << testing::PrintToString(line);
}

}  // namespace
