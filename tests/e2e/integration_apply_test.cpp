#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "integration_stage.h"
#include "round_trip_leftovers.h"
#include "support/file_bytes.h"
#include "support/registry_snapshot.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixApply";
constexpr wchar_t kClsid32[] = L"{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}";
constexpr wchar_t kClsid64[] = L"{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}";
constexpr wchar_t kThemeIcon[] = L"<folder>\\theme.ico";
constexpr wchar_t kDescription[] = L"Processa archivi in formato ZPK, ZIP ed altri tipi";
constexpr wchar_t kCapabilityAssociations[] = L"Software\\Bramix\\Capabilities\\FileAssociations";

// Zpk.txt is missing, so its group item is not made.
const std::vector<std::wstring> kProductFiles = {L"Bramix.exe", L"Bramix.chm", L"Novità.txt", L"zpkext.dll",
                                                 L"zpkext32.dll", L"theme.ico"};

struct Entry {
  HKEY Root;
  REGSAM View;
  const wchar_t* Key;
  const wchar_t* Name;  // null: the key's default value
  const wchar_t* Data;  // "<folder>" is the installation folder
};

constexpr REGSAM k64 = KEY_WOW64_64KEY;
constexpr REGSAM k32 = KEY_WOW64_32KEY;
const HKEY kCR = HKEY_CLASSES_ROOT;
const HKEY kLM = HKEY_LOCAL_MACHINE;
constexpr wchar_t kAppPaths[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe";
constexpr wchar_t kUninstallEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";

const Entry kEntries[] = {
    {kCR, k64, L".zpk", nullptr, L"Bramix"},
    {kCR, k64, L".zip", nullptr, L"Bramix.ZIP"},
    {kCR, k64, L".tlz", nullptr, L"Bramix"},
    {kCR, k64, L".uu", nullptr, L"Bramix"},
    {kCR, k64, L".tbz", nullptr, L"Bramix"},
    {kCR, k64, L".001", nullptr, L"Bramix"},
    {kCR, k64, L"Bramix", nullptr, L"Archivio Bramix"},
    {kCR, k64, L"Bramix\\shell\\open\\command", nullptr, L"\"<folder>\\Bramix.exe\" \"%1\""},
    {kCR, k64, L"Bramix\\DefaultIcon", nullptr, L"<folder>\\Bramix.exe,0"},
    {kCR, k64, L"Bramix.ZIP", nullptr, L"Archivio Bramix ZIP"},
    {kCR, k64, L"Bramix.ZIP\\shell\\open\\command", nullptr, L"\"<folder>\\Bramix.exe\" \"%1\""},
    {kCR, k64, L"Bramix.ZIP\\DefaultIcon", nullptr, L"C:\\Themes\\zip.ico,3"},
    {kCR, k64, L".rev", nullptr, L"Bramix.REV"},
    {kCR, k64, L"Bramix.REV", nullptr, L"Volume ZPK di recupero"},
    {kCR, k64, L"Bramix.REV\\shell\\open\\command", nullptr, L"\"<folder>\\Bramix.exe\" \"%1\""},
    {kCR, k64, L"Bramix.REV\\DefaultIcon", nullptr, L"<folder>\\Bramix.exe,1"},
    {kCR, k64, L".zpk\\ShellNew", L"FileName", L"<folder>\\zpknew.dat"},
    {kCR, k64, L".zip\\ShellNew", L"FileName", L"<folder>\\zipnew.dat"},
    {kCR, k64, L"CLSID\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}", nullptr, L"Bramix"},
    {kCR, k64, L"CLSID\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", nullptr, L"<folder>\\zpkext.dll"},
    {kCR, k64, L"CLSID\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", L"ThreadingModel", L"Apartment"},
    {kCR, k32, L"CLSID\\{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}", nullptr, L"Bramix"},
    {kCR, k32, L"CLSID\\{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", nullptr, L"<folder>\\zpkext32.dll"},
    {kCR, k32, L"CLSID\\{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", L"ThreadingModel", L"Apartment"},
    {kCR, k64, L"CLSID\\{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}", nullptr, L"<missing>"},
    // Both classes write the drop handlers; the 64-bit one comes second and stays.
    {kCR, k64, L"Bramix\\shellex\\DropHandler", nullptr, kClsid64},
    {kCR, k64, L"Bramix.ZIP\\shellex\\DropHandler", nullptr, kClsid64},
    {kLM, k64, L"Software\\RegisteredApplications", L"Bramix", L"Software\\Bramix\\Capabilities"},
    {kLM, k64, L"Software\\Bramix\\Capabilities", L"ApplicationDescription", L"Bramix"},
    {kLM, k64, kCapabilityAssociations, L".zip", L"Bramix.ZIP"},
    {kLM, k64, kCapabilityAssociations, L".jar", L"Bramix"},
    {kLM, k64, kCapabilityAssociations, L".tzst", L"Bramix"},
    {kLM, k64, kAppPaths, nullptr, L"<folder>\\Bramix.exe"},
    {kLM, k64, kAppPaths, L"Path", L"<folder>"},
    {kLM, k32, kAppPaths, nullptr, L"<folder>\\Bramix.exe"},
    {kLM, k32, kAppPaths, L"Path", L"<folder>"},
    {kLM, k64, L"Software\\Bramix", L"exe64", L"<folder>\\Bramix.exe"},
    {kLM, k64, kUninstallEntry, L"DisplayName", L"Bramix 7.00 beta 1 64-bit"},
    {kLM, k64, kUninstallEntry, L"DisplayVersion", L"7.00.1"},
    {kLM, k64, kUninstallEntry, L"VersionMajor", L"dword:7"},
    {kLM, k64, kUninstallEntry, L"VersionMinor", L"dword:0"},
    {kLM, k64, kUninstallEntry, L"UninstallString", L"<folder>\\Uninstall.exe"},
    {kLM, k64, kUninstallEntry, L"QuietUninstallString", L"\"<folder>\\Uninstall.exe\" /s"},
    {kLM, k64, kUninstallEntry, L"DisplayIcon", L"<folder>\\Bramix.exe"},
    {kLM, k64, kUninstallEntry, L"InstallLocation", L"<folder>"},
    {kLM, k64, kUninstallEntry, L"NoModify", L"dword:1"},
    {kLM, k64, kUninstallEntry, L"NoRepair", L"dword:1"},
    {kLM, k64, kUninstallEntry, L"Language", L"dword:0"},
    {kLM, k64, kUninstallEntry, L"Publisher", L"Bramix"},
};

// The entries that each extension class has, "<clsid>" and "<name>" standing for
// its CLSID and handler name.
const Entry kClassEntries[] = {
    {kCR, k64, L"Bramix\\shellex\\PropertySheetHandlers\\<clsid>", nullptr, L""},
    {kCR, k64, L"Bramix.ZIP\\shellex\\PropertySheetHandlers\\<clsid>", nullptr, L""},
    {kCR, k64, L"exefile\\shellex\\PropertySheetHandlers\\<clsid>", nullptr, L""},
    {kCR, k64, L"Folder\\shellex\\DragDropHandlers\\<name>", nullptr, L"<clsid>"},
    {kCR, k64, L"Drive\\shellex\\DragDropHandlers\\<name>", nullptr, L"<clsid>"},
    {kLM, k64, L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", L"<clsid>",
     L"Bramix shell extension"},
    {kCR, k64, L"Bramix\\shellex\\ContextMenuHandlers\\<clsid>", nullptr, L""},
    {kCR, k64, L"Bramix.ZIP\\shellex\\ContextMenuHandlers\\<clsid>", nullptr, L""},
    {kCR, k64, L"*\\shellex\\ContextMenuHandlers\\<name>", nullptr, L"<clsid>"},
    {kCR, k64, L"Folder\\shellex\\ContextMenuHandlers\\<name>", nullptr, L"<clsid>"},
    {kCR, k64, L"lnkfile\\shellex\\ContextMenuHandlers\\<name>", nullptr, L"<clsid>"},
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
  SCOPED_TRACE(testing::PrintToString(key + L"|" + name + (entry.View == k32 ? L" (32-bit view)" : L"")));
  EXPECT_EQ(fill(entry.Data), ReadRegistry(entry.Root, entry.View, key, entry.Name ? name.c_str() : nullptr));
}

DWORD ValueCount(HKEY root, const wchar_t* key) {
  UniqueHkey opened;
  DWORD count = 0;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS)
    RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                     nullptr, nullptr);
  return count;
}

DWORD FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}

// The folder's files, in KiB rounded up, as the Add/Remove entry should say.
DWORD FolderKiB(const std::wstring& folder) {
  unsigned long long bytes = 0;
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) bytes += data.nFileSizeLow;
    } while (FindNextFileW(find.get(), &data));
  }
  return static_cast<DWORD>((bytes + 1023) / 1024);
}

struct Shortcut {
  int Folder;            // CSIDL of the folder that holds it
  const wchar_t* Link;   // the file name in that folder
  const wchar_t* Target; // null: the shortcut must not exist
  bool WorkOnDesktop;    // the working folder is the user's desktop, else none
  bool ThemeIcon;        // the theme icon, else none
};

const Shortcut kShortcuts[] = {
    {CSIDL_COMMON_DESKTOPDIRECTORY, L"Bramix.lnk", L"<folder>\\Bramix.exe", false, true},
    {CSIDL_COMMON_STARTMENU, L"Bramix.lnk", L"<folder>\\Bramix.exe", true, true},
    {CSIDL_PROGRAMS, L"Bramix\\Bramix.lnk", L"<folder>\\Bramix.exe", true, true},
    {CSIDL_PROGRAMS, L"Bramix\\Guida a Bramix.lnk", L"<folder>\\Bramix.chm", true, false},
    {CSIDL_PROGRAMS, L"Bramix\\Manuale di ZPK in modalità carattere.lnk", nullptr, false, false},
    {CSIDL_PROGRAMS, L"Bramix\\Novità dell'ultima versione.lnk", L"<folder>\\Novità.txt", true, false},
    {CSIDL_COMMON_PROGRAMS, L"Bramix\\Bramix.lnk", L"<folder>\\Bramix.exe", true, true},
    {CSIDL_COMMON_PROGRAMS, L"Bramix\\Guida a Bramix.lnk", L"<folder>\\Bramix.chm", true, false},
    {CSIDL_COMMON_PROGRAMS, L"Bramix\\Manuale di ZPK in modalità carattere.lnk", nullptr, false, false},
    {CSIDL_COMMON_PROGRAMS, L"Bramix\\Novità dell'ultima versione.lnk", L"<folder>\\Novità.txt", true, false},
};

// One all-on apply for the tests that only read what it made; Uninstall.exe /s
// takes it away at the end.
class IntegrationApplied : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    stage_ = std::make_unique<IntegrationStage>(kFolder, kProductFiles);
    zipIcon_ = std::make_unique<ScopedRegistryValue>(HKEY_CLASSES_ROOT, L"Bramix.ZIP\\DefaultIcon", nullptr);
    zipIcon_->SetText(L"C:\\Themes\\zip.ico,3");
    themeIcon_ = std::make_unique<ScopedRegistryValue>(HKEY_CURRENT_USER, L"Software\\Bramix\\Interface\\Themes",
                                                       L"ShellExtIcon");
    themeIcon_->SetText(WithFolder(kThemeIcon, kFolder));
    applied_ = stage_->Apply();
  }
  static void TearDownTestSuite() {
    stage_->Uninstall();
    themeIcon_.reset();
    zipIcon_.reset();
    stage_.reset();
  }

  static inline std::unique_ptr<IntegrationStage> stage_;
  static inline std::unique_ptr<ScopedRegistryValue> zipIcon_;
  static inline std::unique_ptr<ScopedRegistryValue> themeIcon_;
  static inline DWORD applied_ = STILL_ACTIVE;
};

}  // namespace

TEST_F(IntegrationApplied, AllOnRecordWritesEveryRegistryEntry) {
  ASSERT_EQ(0u, applied_);
  for (const Entry& entry : kEntries) ExpectEntry(entry, kClasses[1]);
  for (const ExtensionClass& shellClass : kClasses)
    for (const Entry& entry : kClassEntries) ExpectEntry(entry, shellClass);
  // Every extension of the 18 format rows, whatever the user chose.
  EXPECT_EQ(29u, ValueCount(HKEY_LOCAL_MACHINE, kCapabilityAssociations));
  EXPECT_EQ(L"dword:" + std::to_wstring(FolderKiB(kFolder)),
            ReadRegistry(HKEY_LOCAL_MACHINE, kUninstallEntry, L"EstimatedSize"));
}

TEST_F(IntegrationApplied, AllOnRecordWritesBothNewMenuTemplates) {
  ASSERT_EQ(0u, applied_);
  EXPECT_EQ(24u, FileSize(stage_->Path(L"zpknew.dat")));
  EXPECT_EQ(22u, FileSize(stage_->Path(L"zipnew.dat")));
}

TEST_F(IntegrationApplied, AllOnRecordMakesTheShortcutsWhoseTargetsExist) {
  ASSERT_EQ(0u, applied_);
  const std::wstring desktop = ShellFolderPath(CSIDL_DESKTOPDIRECTORY);
  for (const Shortcut& shortcut : kShortcuts) {
    const std::wstring path = ShellFolderPath(shortcut.Folder) + L"\\" + shortcut.Link;
    SCOPED_TRACE(testing::PrintToString(path));
    if (!shortcut.Target) {
      EXPECT_FALSE(PathFound(path));
      continue;
    }
    LinkProperties link;
    ASSERT_TRUE(ReadShortcut(path, link));
    EXPECT_EQ(WithFolder(shortcut.Target, kFolder), link.Target);
    EXPECT_EQ(kDescription, link.Description);
    EXPECT_EQ(shortcut.WorkOnDesktop ? desktop : L"", link.WorkFolder);
    EXPECT_EQ(shortcut.ThemeIcon ? WithFolder(kThemeIcon, kFolder) : L"", link.Icon);
  }
}

namespace {

// The files of a folder and its subfolders, each with its bytes.
using FileContents = std::map<std::wstring, std::string>;

void ListFiles(const std::wstring& folder, FileContents& files) {
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListFiles(folder + L"\\" + name, files);
    else
      files[folder + L"\\" + name] = ReadFileBytes(folder + L"\\" + name);
  } while (FindNextFileW(find.get(), &data));
}

// The installation folder, the program groups and the shortcut files that the
// product may place on the desktops and in the Start menu.
FileContents ProductFiles(const std::wstring& installFolder) {
  FileContents files;
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU}) {
    const std::wstring link = ShellFolderPath(csidl) + L"\\Bramix.lnk";
    if (PathFound(link)) files[link] = ReadFileBytes(link);
  }
  for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) ListFiles(ShellFolderPath(csidl) + L"\\Bramix", files);
  ListFiles(installFolder, files);
  return files;
}

// Names each file that one listing has and the other lacks or holds other bytes in.
void ExpectSameFiles(const FileContents& expected, const FileContents& actual) {
  for (const auto& [path, bytes] : expected) {
    const auto found = actual.find(path);
    if (found == actual.end())
      ADD_FAILURE() << "lost: " << testing::PrintToString(path);
    else if (found->second != bytes)
      ADD_FAILURE() << "changed: " << testing::PrintToString(path);
  }
  for (const auto& entry : actual)
    if (!expected.count(entry.first)) ADD_FAILURE() << "gained: " << testing::PrintToString(entry.first);
}

constexpr wchar_t kReapplyFolder[] = L"C:\\Program Files\\BramixReapply";

// An all-off apply is not an uninstall: these stay, on purpose, and only the
// uninstall run takes them away. The ProgIDs and ".rev" are registered on every
// apply whatever the record says; the application path, the capabilities (which
// say what the product can open, not what it owns) and the Add/Remove entry are
// written on every apply too; the user's settings and the previous-association
// records stay under the product key; so do the empty keys an uninstall leaves
// too (kEmptyKeysLeft). Each name is a key with its values; one ending in "\*"
// stands for everything below it as well.
const std::set<std::wstring> kKeptByAnAllOffApply = {
    L"Software\\Bramix",
    L"Software\\Bramix\\*",
    L"Software\\Classes\\.rev",
    L"Software\\Classes\\Bramix",
    L"Software\\Classes\\Bramix\\DefaultIcon",
    L"Software\\Classes\\Bramix\\shell",
    L"Software\\Classes\\Bramix\\shell\\*",
    L"Software\\Classes\\Bramix.ZIP",
    L"Software\\Classes\\Bramix.ZIP\\DefaultIcon",
    L"Software\\Classes\\Bramix.ZIP\\shell",
    L"Software\\Classes\\Bramix.ZIP\\shell\\*",
    L"Software\\Classes\\Bramix.REV",
    L"Software\\Classes\\Bramix.REV\\DefaultIcon",
    L"Software\\Classes\\Bramix.REV\\shell",
    L"Software\\Classes\\Bramix.REV\\shell\\*",
    L"Software\\RegisteredApplications",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe",
    L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver",
    L"Software\\Classes\\Bramix\\shellex",
    L"Software\\Classes\\Bramix\\shellex\\ContextMenuHandlers",
    L"Software\\Classes\\Bramix\\shellex\\PropertySheetHandlers",
    L"Software\\Classes\\Bramix.ZIP\\shellex",
    L"Software\\Classes\\Bramix.ZIP\\shellex\\ContextMenuHandlers",
    L"Software\\Classes\\Bramix.ZIP\\shellex\\PropertySheetHandlers",
};

// The template files stay in the program folder once written.
const std::set<std::wstring> kFilesKeptByAnAllOffApply = {L"zpknew.dat", L"zipnew.dat"};

bool Kept(const std::wstring& line, const std::set<std::wstring>& keys) {
  const std::wstring key = line.substr(0, line.find(L'|'));
  if (keys.count(key)) return true;
  for (const std::wstring& kept : keys)
    if (kept.size() > 2 && kept.compare(kept.size() - 2, 2, L"\\*") == 0 &&
        key.compare(0, kept.size() - 1, kept, 0, kept.size() - 1) == 0)
      return true;
  return false;
}

class IntegrationReapply : public testing::Test {
 protected:
  void TearDown() override { stage_.Uninstall(); }

  IntegrationStage stage_{kReapplyFolder, kProductFiles};
};

}  // namespace

TEST_F(IntegrationReapply, SameRecordTwiceGivesTheSameRegistryAndFiles) {
  ASSERT_EQ(0u, stage_.Apply());
  const RegistryLines once = RegistrySnapshot();
  const FileContents filesOnce = ProductFiles(kReapplyFolder);

  ASSERT_EQ(0u, stage_.Apply());
  const RegistryLines twice = RegistrySnapshot();
  for (const std::wstring& line : Minus(twice, once)) ADD_FAILURE() << "gained: " << testing::PrintToString(line);
  for (const std::wstring& line : Minus(once, twice)) ADD_FAILURE() << "lost: " << testing::PrintToString(line);
  ExpectSameFiles(filesOnce, ProductFiles(kReapplyFolder));
}

TEST_F(IntegrationReapply, AllOffAfterAllOnGivesTheStateFromBefore) {
  const RegistryLines before = RegistrySnapshot();
  const FileContents filesBefore = ProductFiles(kReapplyFolder);

  ASSERT_EQ(0u, stage_.Apply());
  ASSERT_EQ(0u, stage_.Apply(L"off"));
  const RegistryLines after = RegistrySnapshot();
  for (const std::wstring& line : Minus(after, before))
    if (!Kept(line, kKeptByAnAllOffApply) && !kEmptyKeysLeft.count(line)) ADD_FAILURE() << "left behind: " << testing::PrintToString(line);
  for (const std::wstring& line : Minus(before, after)) ADD_FAILURE() << "lost: " << testing::PrintToString(line);
  FileContents filesAfter = ProductFiles(kReapplyFolder);
  for (const std::wstring& name : kFilesKeptByAnAllOffApply) filesAfter.erase(stage_.Path(name));
  ExpectSameFiles(filesBefore, filesAfter);
}
