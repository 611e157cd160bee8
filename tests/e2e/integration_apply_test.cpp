// What an apply of the integration record leaves on the machine: registry entries
// and shortcuts that name the installation, the New menu templates, and the state
// after applying twice or switching everything off again.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "e2e/round_trip_leftovers.h"
#include "e2e/staged_product.h"
#include "environment/com_owners.h"
#include "support/file_bytes.h"
#include "support/registry_snapshot.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixApply";
constexpr wchar_t kClsid32[] = L"{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}";
constexpr wchar_t kClsid64[] = L"{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}";
constexpr wchar_t kUninstallEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";

// Zpk.txt is missing, so its group item is not made.
const std::vector<std::wstring> kProductFiles = {L"Bramix.exe", L"Bramix.chm",   L"Novità.txt",
                                                 L"zpkext.dll", L"zpkext32.dll", L"theme.ico"};

std::wstring ReplaceAll(std::wstring text, const std::wstring& token, const std::wstring& by) {
  for (size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at + by.size()))
    text.replace(at, token.size(), by);
  return text;
}

// Puts the installation folder in for every "<folder>" of a text.
std::wstring WithFolder(const std::wstring& text, const std::wstring& folder) {
  return ReplaceAll(text, L"<folder>", folder);
}

struct Entry {
  HKEY Root;
  DWORD View;           // 0, or RRF_SUBKEY_WOW6432KEY for the 32-bit view
  const wchar_t* Key;   // "<clsid>" and "<name>" stand for an extension class's
  const wchar_t* Name;  // null: the key's default value
  const wchar_t* Data;  // "<folder>" is the installation folder
};

constexpr DWORD k32 = RRF_SUBKEY_WOW6432KEY;
const HKEY kCR = HKEY_CLASSES_ROOT;
const HKEY kLM = HKEY_LOCAL_MACHINE;
constexpr wchar_t kAppPaths[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe";

// The entries that name the installation or that an extension class, a view or a
// user's choice changes.
const Entry kEntries[] = {
    {kCR, 0, L".zip", nullptr, L"Bramix.ZIP"},
    {kCR, 0, L"Bramix\\shell\\open\\command", nullptr, L"\"<folder>\\Bramix.exe\" \"%1\""},
    {kCR, 0, L"Bramix.ZIP\\DefaultIcon", nullptr, L"C:\\Themes\\zip.ico,3"},
    {kCR, 0, L"Bramix.REV\\DefaultIcon", nullptr, L"<folder>\\Bramix.exe,1"},
    {kCR, 0, L".zpk\\ShellNew", L"FileName", L"<folder>\\zpknew.dat"},
    {kCR, 0, L"CLSID\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", nullptr, L"<folder>\\zpkext.dll"},
    {kCR, k32, L"CLSID\\{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", nullptr, L"<folder>\\zpkext32.dll"},
    {kCR, 0, L"CLSID\\{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}", nullptr, L"<missing>"},
    // Both classes write the drop handlers; the 64-bit one comes second and stays.
    {kCR, 0, L"Bramix\\shellex\\DropHandler", nullptr, kClsid64},
    {kLM, 0, kAppPaths, L"Path", L"<folder>"},
    {kLM, 0, kAppPaths, nullptr, L"<folder>\\Bramix.exe"},
    {kLM, 0, L"Software\\Bramix", L"exe64", L"<folder>\\Bramix.exe"},
    {kLM, 0, kUninstallEntry, L"QuietUninstallString", L"\"<folder>\\Uninstall.exe\" /s"},
    {kLM, 0, kUninstallEntry, L"InstallLocation", L"<folder>"},
};

// The entries that each extension class has.
const Entry kClassEntries[] = {
    {kCR, 0, L"exefile\\shellex\\PropertySheetHandlers\\<clsid>", nullptr, L""},
    {kCR, 0, L"Drive\\shellex\\DragDropHandlers\\<name>", nullptr, L"<clsid>"},
    {kLM, 0, L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", L"<clsid>",
     L"Bramix shell extension"},
    {kCR, 0, L"*\\shellex\\ContextMenuHandlers\\<name>", nullptr, L"<clsid>"},
};

struct ExtensionClass {
  const wchar_t* Clsid;
  const wchar_t* Name;
};
const ExtensionClass kClasses[] = {{kClsid32, L"Bramix32"}, {kClsid64, L"Bramix"}};

void ExpectEntry(const Entry& entry, const ExtensionClass& shellClass) {
  auto fill = [&](const wchar_t* text) {
    return WithFolder(ReplaceAll(ReplaceAll(text, L"<clsid>", shellClass.Clsid), L"<name>", shellClass.Name), kFolder);
  };
  const std::wstring key = fill(entry.Key);
  const std::wstring name = entry.Name ? fill(entry.Name) : L"";
  SCOPED_TRACE(testing::PrintToString(key + L"|" + name + (entry.View ? L" (32-bit view)" : L"")));
  EXPECT_EQ(fill(entry.Data), StoredText(entry.Root, key, entry.Name ? name.c_str() : nullptr, entry.View));
}

struct LinkProperties {
  std::wstring Target;
  std::wstring WorkFolder;
  std::wstring Icon;
};

// The properties of a shortcut file as the shell link object reads them back.
bool ReadShortcut(const std::wstring& path, LinkProperties& out) {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.GetAddressOf()))) ||
      FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf()))) ||
      FAILED(file->Load(path.c_str(), STGM_READ)))
    return false;
  wchar_t text[MAX_PATH] = {};
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  out.Target = text;
  text[0] = 0;
  link->GetWorkingDirectory(text, MAX_PATH);
  out.WorkFolder = text;
  text[0] = 0;
  int icon = 0;
  link->GetIconLocation(text, MAX_PATH, &icon);
  out.Icon = text;
  return true;
}

struct Shortcut {
  int Folder;             // CSIDL of the folder that holds it
  const wchar_t* Link;    // the file name in that folder
  const wchar_t* Target;  // null: the shortcut must not exist
  bool WorkOnDesktop;     // the working folder is the user's desktop, else none
  bool ThemeIcon;         // the theme icon, else none
};

const Shortcut kShortcuts[] = {
    {CSIDL_COMMON_DESKTOPDIRECTORY, L"Bramix.lnk", L"<folder>\\Bramix.exe", false, true},
    {CSIDL_COMMON_STARTMENU, L"Bramix.lnk", L"<folder>\\Bramix.exe", true, true},
    {CSIDL_PROGRAMS, L"Bramix\\Guida a Bramix.lnk", L"<folder>\\Bramix.chm", true, false},
    {CSIDL_PROGRAMS, L"Bramix\\Manuale di ZPK in modalità carattere.lnk", nullptr, false, false},
    {CSIDL_COMMON_PROGRAMS, L"Bramix\\Novità dell'ultima versione.lnk", L"<folder>\\Novità.txt", true, false},
};

// One all-on apply for the tests that only read what it made, with a theme icon and
// a user's own icon for ZIP archives; Uninstall.exe /s takes it away at the end.
class IntegrationApplied : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    stage_ = std::make_unique<ProductStage>(kFolder, kProductFiles);
    zipIcon_ = std::make_unique<ScopedRegistryValue>(HKEY_CLASSES_ROOT, L"Bramix.ZIP\\DefaultIcon", nullptr);
    zipIcon_->SetText(L"C:\\Themes\\zip.ico,3");
    themeIcon_ = std::make_unique<ScopedRegistryValue>(HKEY_CURRENT_USER, L"Software\\Bramix\\Interface\\Themes",
                                                       L"ShellExtIcon");
    themeIcon_->SetText(std::wstring(kFolder) + L"\\theme.ico");
    applied_ = stage_->Apply();
  }
  static void TearDownTestSuite() {
    stage_->Uninstall();
    themeIcon_.reset();
    zipIcon_.reset();
    stage_.reset();
  }
  void SetUp() override { ASSERT_EQ(0u, applied_); }

  static inline std::unique_ptr<ProductStage> stage_;
  static inline std::unique_ptr<ScopedRegistryValue> zipIcon_;
  static inline std::unique_ptr<ScopedRegistryValue> themeIcon_;
  static inline DWORD applied_ = STILL_ACTIVE;
};

}  // namespace

TEST_F(IntegrationApplied, AllOnRecordWritesTheEntriesThatNameTheInstallation) {
  for (const Entry& entry : kEntries) ExpectEntry(entry, kClasses[1]);
}

TEST_F(IntegrationApplied, AllOnRecordRegistersBothExtensionClasses) {
  for (const ExtensionClass& shellClass : kClasses)
    for (const Entry& entry : kClassEntries) ExpectEntry(entry, shellClass);
}

TEST_F(IntegrationApplied, AllOnRecordWritesBothNewMenuTemplates) {
  EXPECT_EQ(24u, ReadFileBytes(stage_->Path(L"zpknew.dat")).size());
  EXPECT_EQ(22u, ReadFileBytes(stage_->Path(L"zipnew.dat")).size());
}

TEST_F(IntegrationApplied, AllOnRecordMakesTheShortcutsWhoseTargetsExist) {
  const std::wstring desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  for (const Shortcut& shortcut : kShortcuts) {
    const std::wstring path = ShellFolder(shortcut.Folder) + L"\\" + shortcut.Link;
    SCOPED_TRACE(testing::PrintToString(path));
    LinkProperties link;
    const bool made = ReadShortcut(path, link);
    EXPECT_EQ(shortcut.Target != nullptr, made);
    if (!made || !shortcut.Target) continue;
    EXPECT_EQ(WithFolder(shortcut.Target, kFolder), link.Target);
    EXPECT_EQ(shortcut.WorkOnDesktop ? desktop : L"", link.WorkFolder);
    EXPECT_EQ(shortcut.ThemeIcon ? std::wstring(kFolder) + L"\\theme.ico" : L"", link.Icon);
  }
}

namespace {

constexpr wchar_t kReapplyFolder[] = L"C:\\Program Files\\BramixReapply";

// An all-off apply is not an uninstall: the ProgIDs and ".rev", the application
// path, the capabilities and the Add/Remove entry are written on every apply, the
// user's settings and the previous-association records stay under the product key,
// and so do the empty keys that an uninstall leaves too. Each is a key with its
// values; one ending in "\\*" stands for everything below it as well.
std::set<std::wstring> KeptByAnAllOffApply() {
  std::set<std::wstring> keys = {
      L"Software\\Bramix",
      L"Software\\Bramix\\*",
      L"Software\\Classes\\.rev",
      L"Software\\RegisteredApplications",
      L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe",
      L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe",
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver",
  };
  for (const std::wstring progId : {L"Bramix", L"Bramix.ZIP", L"Bramix.REV"}) {
    for (const wchar_t* below : {L"", L"\\DefaultIcon", L"\\shell", L"\\shell\\*"})
      keys.insert(L"Software\\Classes\\" + progId + below);
  }
  for (const std::wstring progId : {L"Bramix", L"Bramix.ZIP"}) {
    for (const wchar_t* below : {L"\\shellex", L"\\shellex\\ContextMenuHandlers", L"\\shellex\\PropertySheetHandlers"})
      keys.insert(L"Software\\Classes\\" + progId + below);
  }
  keys.insert(kEmptyKeysLeft.begin(), kEmptyKeysLeft.end());
  return keys;
}

bool Kept(const std::wstring& line, const std::set<std::wstring>& keys) {
  const std::wstring key = line.substr(0, line.find(L'|'));
  if (keys.count(key)) return true;
  for (const std::wstring& kept : keys)
    if (kept.ends_with(L"\\*") && key.starts_with(kept.substr(0, kept.size() - 1))) return true;
  return false;
}

// The product's shortcuts and the files of its folder.
std::set<std::wstring> ProductFiles() {
  std::set<std::wstring> lines = ShortcutFiles();
  ListFiles(kReapplyFolder, L"*", lines);
  return lines;
}

class IntegrationReapply : public testing::Test {
 protected:
  void TearDown() override { stage_.Uninstall(); }

  ProductStage stage_{kReapplyFolder, kProductFiles};
};

}  // namespace

TEST_F(IntegrationReapply, SameRecordTwiceGivesTheSameRegistryAndFiles) {
  ASSERT_EQ(0u, stage_.Apply());
  const RegistryLines once = RegistrySnapshot();
  const std::set<std::wstring> filesOnce = ProductFiles();

  ASSERT_EQ(0u, stage_.Apply());
  ExpectSameLines(once, RegistrySnapshot());
  ExpectSameLines(filesOnce, ProductFiles());
}

TEST_F(IntegrationReapply, AllOffAfterAllOnGivesTheStateFromBefore) {
  const RegistryLines before = RegistrySnapshot();
  const std::set<std::wstring> filesBefore = ProductFiles();

  ASSERT_EQ(0u, stage_.Apply());
  ASSERT_EQ(0u, stage_.Apply(L"off"));
  const std::set<std::wstring> keys = KeptByAnAllOffApply();
  RegistryLines after;
  for (const std::wstring& line : RegistrySnapshot())
    if (before.count(line) || !Kept(line, keys)) after.insert(line);
  ExpectSameLines(before, after);
  // The templates stay in the program folder once written.
  std::set<std::wstring> filesAfter;
  for (const std::wstring& line : ProductFiles())
    if (!line.starts_with(stage_.Path(L"zpknew.dat|")) && !line.starts_with(stage_.Path(L"zipnew.dat|")))
      filesAfter.insert(line);
  ExpectSameLines(filesBefore, filesAfter);
}
