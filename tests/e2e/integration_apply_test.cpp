// What an apply of the integration record leaves on the machine: registry entries
// and shortcuts that name the installation, the New menu templates, and the state
// after applying twice or switching everything off again.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "e2e/round_trip_leftovers.h"
#include "e2e/staged_product.h"
#include "environment/com_owners.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixApply";
constexpr wchar_t kUninstallEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";

// Zpk.txt is missing, so its group item is not made.
const std::vector<std::wstring> kProductFiles = {L"Bramix.exe", L"Bramix.chm",   L"Novità.txt",
                                                 L"zpkext.dll", L"zpkext32.dll", L"theme.ico"};

const std::wstring kIn = std::wstring(kFolder) + L"\\";

struct Entry {
  HKEY Root;
  DWORD View;  // 0, or RRF_SUBKEY_WOW6432KEY for the 32-bit view
  std::wstring Key;
  const wchar_t* Name;  // null: the key's default value
  std::wstring Data;
};

constexpr DWORD k32 = RRF_SUBKEY_WOW6432KEY;
const HKEY kCR = HKEY_CLASSES_ROOT;
const HKEY kLM = HKEY_LOCAL_MACHINE;
const std::wstring kClsid32 = L"{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}";
const std::wstring kClsid64 = L"{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}";
const std::wstring kApproved = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// The entries that name the installation or that an extension class, a view or a
// user's choice changes.
const Entry kEntries[] = {
    {kCR, 0, L".zip", nullptr, L"Bramix.ZIP"},
    {kCR, 0, L"Bramix\\shell\\open\\command", nullptr, L"\"" + kIn + L"Bramix.exe\" \"%1\""},
    {kCR, 0, L"Bramix.ZIP\\DefaultIcon", nullptr, L"C:\\Themes\\zip.ico,3"},
    {kCR, 0, L"Bramix.REV\\DefaultIcon", nullptr, kIn + L"Bramix.exe,1"},
    {kCR, 0, L".zpk\\ShellNew", L"FileName", kIn + L"zpknew.dat"},
    {kCR, 0, L"CLSID\\" + kClsid64 + L"\\InProcServer32", nullptr, kIn + L"zpkext.dll"},
    {kCR, k32, L"CLSID\\" + kClsid32 + L"\\InProcServer32", nullptr, kIn + L"zpkext32.dll"},
    {kCR, 0, L"CLSID\\" + kClsid32, nullptr, L"<missing>"},
    // Both classes write the drop handlers; the 64-bit one comes second and stays.
    {kCR, 0, L"Bramix\\shellex\\DropHandler", nullptr, kClsid64},
    {kLM, 0, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe", L"Path", kFolder},
    {kLM, 0, L"Software\\Bramix", L"exe64", kIn + L"Bramix.exe"},
    {kLM, 0, kUninstallEntry, L"QuietUninstallString", L"\"" + kIn + L"Uninstall.exe\" /s"},
};

// The entries that each of the two extension classes has.
const Entry kClassEntries[] = {
    {kCR, 0, L"exefile\\shellex\\PropertySheetHandlers\\" + kClsid32, nullptr, L""},
    {kCR, 0, L"exefile\\shellex\\PropertySheetHandlers\\" + kClsid64, nullptr, L""},
    {kCR, 0, L"Drive\\shellex\\DragDropHandlers\\Bramix32", nullptr, kClsid32},
    {kCR, 0, L"Drive\\shellex\\DragDropHandlers\\Bramix", nullptr, kClsid64},
    {kLM, 0, kApproved, kClsid32.c_str(), L"Bramix shell extension"},
    {kLM, 0, kApproved, kClsid64.c_str(), L"Bramix shell extension"},
    {kCR, 0, L"*\\shellex\\ContextMenuHandlers\\Bramix32", nullptr, kClsid32},
    {kCR, 0, L"*\\shellex\\ContextMenuHandlers\\Bramix", nullptr, kClsid64},
};

void ExpectEntry(const Entry& entry) {
  SCOPED_TRACE(testing::PrintToString(entry.Key + L"|" + (entry.Name ? entry.Name : L"") +
                                      (entry.View ? L" (32-bit view)" : L"")));
  EXPECT_EQ(entry.Data, StoredText(entry.Root, entry.Key, entry.Name, entry.View));
}

struct LinkProperties {
  std::wstring Target;
  std::wstring WorkFolder;
  std::wstring Icon;
};

// The properties of a shortcut file as the shell link object reads them back; none
// when it cannot be read.
std::optional<LinkProperties> ReadShortcut(const std::wstring& path) {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.GetAddressOf()))) ||
      FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf()))) ||
      FAILED(file->Load(path.c_str(), STGM_READ)))
    return std::nullopt;
  wchar_t target[MAX_PATH] = {};
  wchar_t workFolder[MAX_PATH] = {};
  wchar_t icon[MAX_PATH] = {};
  int iconIndex = 0;
  link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetWorkingDirectory(workFolder, MAX_PATH);
  link->GetIconLocation(icon, MAX_PATH, &iconIndex);
  return LinkProperties{target, workFolder, icon};
}

struct Shortcut {
  int Folder;             // CSIDL of the folder that holds it
  const wchar_t* Link;    // the file name in that folder
  const wchar_t* Target;  // in the installation; null: the shortcut must not exist
  bool WorkOnDesktop;     // the working folder is the user's desktop, else none
  bool ThemeIcon;         // the theme icon, else none
};

const Shortcut kShortcuts[] = {
    {CSIDL_COMMON_DESKTOPDIRECTORY, L"Bramix.lnk", L"Bramix.exe", false, true},
    {CSIDL_COMMON_STARTMENU, L"Bramix.lnk", L"Bramix.exe", true, true},
    {CSIDL_PROGRAMS, L"Bramix\\Guida a Bramix.lnk", L"Bramix.chm", true, false},
    {CSIDL_PROGRAMS, L"Bramix\\Manuale di ZPK in modalità carattere.lnk", nullptr, false, false},
    {CSIDL_COMMON_PROGRAMS, L"Bramix\\Novità dell'ultima versione.lnk", L"Novità.txt", true, false},
};

// An all-on apply with a theme icon and a user's own icon for ZIP archives;
// Uninstall.exe /s takes it away at the end.
struct AllOnApply {
  AllOnApply() {
    zipIcon.SetText(L"C:\\Themes\\zip.ico,3");
    themeIcon.SetText(kIn + L"theme.ico");
    exitCode = stage.Apply();
  }
  ~AllOnApply() { stage.Uninstall(); }

  ProductStage stage{kFolder, kProductFiles};
  ScopedRegistryValue zipIcon{HKEY_CLASSES_ROOT, L"Bramix.ZIP\\DefaultIcon", nullptr};
  ScopedRegistryValue themeIcon{HKEY_CURRENT_USER, L"Software\\Bramix\\Interface\\Themes", L"ShellExtIcon"};
  DWORD exitCode = STILL_ACTIVE;
};

// One apply for the tests that only read what it made.
class IntegrationApplied : public testing::Test {
 protected:
  static void SetUpTestSuite() { applied_ = std::make_unique<AllOnApply>(); }
  static void TearDownTestSuite() { applied_.reset(); }
  void SetUp() override { ASSERT_EQ(0u, applied_->exitCode); }

  static inline std::unique_ptr<AllOnApply> applied_;
};

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

TEST_F(IntegrationApplied, AllOnRecordWritesTheEntriesThatNameTheInstallation) {
  for (const Entry& entry : kEntries) ExpectEntry(entry);
}

TEST_F(IntegrationApplied, AllOnRecordRegistersBothExtensionClasses) {
  for (const Entry& entry : kClassEntries) ExpectEntry(entry);
}

TEST_F(IntegrationApplied, AllOnRecordWritesBothNewMenuTemplates) {
  EXPECT_EQ(24u, ReadFileBytes(kIn + L"zpknew.dat").size());
  EXPECT_EQ(22u, ReadFileBytes(kIn + L"zipnew.dat").size());
}

TEST_F(IntegrationApplied, AllOnRecordMakesTheShortcutsWhoseTargetsExist) {
  const std::wstring desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  for (const Shortcut& shortcut : kShortcuts) {
    const std::wstring path = ShellFolder(shortcut.Folder) + L"\\" + shortcut.Link;
    SCOPED_TRACE(testing::PrintToString(path));
    const std::optional<LinkProperties> link = ReadShortcut(path);
    EXPECT_EQ(shortcut.Target != nullptr, link.has_value());
    if (!link || !shortcut.Target) continue;
    EXPECT_EQ(kIn + shortcut.Target, link->Target);
    EXPECT_EQ(shortcut.WorkOnDesktop ? desktop : L"", link->WorkFolder);
    EXPECT_EQ(shortcut.ThemeIcon ? kIn + L"theme.ico" : L"", link->Icon);
  }
}

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
