#include "integration/shortcuts.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <list>
#include <set>
#include <string>
#include <vector>

#include "environment/com_owners.h"
#include "settings/text_reader.h"
#include "support/import_patch.h"
#include "support/scoped_registry_value.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kShellFoldersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kDescription[] = L"Processa archivi in formato ZPK, ZIP ed altri tipi";
constexpr wchar_t kThemeIcon[] = L"C:\\themes\\bramix.ico";
constexpr wchar_t kFolderCacheKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A special folder pointed at a folder of the test while the object lives. The
// shell keeps what it found in a second key, which comes back as well.
class ScopedShellFolder {
 public:
  ScopedShellFolder(HKEY root, const wchar_t* name, const std::wstring& folder)
      : folder_(root, kShellFoldersKey, name), cache_(root, kFolderCacheKey, name) {
    CreateDirectoryW(folder.c_str(), nullptr);
    folder_.SetText(folder, REG_EXPAND_SZ);
  }

 private:
  const ScopedRegistryValue folder_;
  const ScopedRegistryValue cache_;
};

// A shortcut file as the shell link object reads it back.
struct Shortcut {
  bool Loaded = false;
  std::wstring Target;
  std::wstring WorkFolder;
  std::wstring Description;
  std::wstring Icon;
  WORD HotKey = 0;
};

// A new shell link object and its file interface (null when either is missing).
ComPtr<IPersistFile> MakeShellLink(ComPtr<IShellLinkW>& link) {
  ComPtr<IPersistFile> file;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                   reinterpret_cast<void**>(link.GetAddressOf()));
  if (link) link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf()));
  return file;
}

Shortcut ReadShortcut(const std::wstring& path) {
  Shortcut shortcut;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file = MakeShellLink(link);
  if (!file || FAILED(file->Load(path.c_str(), STGM_READ))) return shortcut;
  shortcut.Loaded = true;
  wchar_t text[1024] = {};
  int iconIndex = 0;
  if (SUCCEEDED(link->GetPath(text, 1024, nullptr, SLGP_RAWPATH))) shortcut.Target = text;
  if (SUCCEEDED(link->GetWorkingDirectory(text, 1024))) shortcut.WorkFolder = text;
  if (SUCCEEDED(link->GetDescription(text, 1024))) shortcut.Description = text;
  if (SUCCEEDED(link->GetIconLocation(text, 1024, &iconIndex))) shortcut.Icon = text;
  link->GetHotkey(&shortcut.HotKey);
  return shortcut;
}

// A shortcut as the user may have made it: another target and a hot key.
void WriteUsersShortcut(const std::wstring& path, WORD hotKey) {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file = MakeShellLink(link);
  ASSERT_TRUE(file);
  link->SetPath(L"C:\\windows\\notepad.exe");
  link->SetHotkey(hotKey);
  ASSERT_HRESULT_SUCCEEDED(file->Save(path.c_str(), TRUE));
}

// The names in a folder ("name/" for a folder).
std::set<std::wstring> Listing(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    names.insert(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? name + L"/" : name);
  } while (FindNextFileW(find.get(), &data));
  return names;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

constexpr wchar_t kWineOverridesKey[] = L"Software\\Wine\\DllOverrides";
constexpr wchar_t kMenuBuilder[] = L"winemenubuilder.exe";

// Every special folder the shortcuts use points into the test's own folder, so that
// nothing reaches the prefix's real folders. Wine's menu builder, which reads and
// mirrors every shortcut saved in such a folder, is switched off while a test runs.
class ShortcutsTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    // The builder Wine starts with a session reads every shortcut folder once.
    WaitForProcessesToEnd(kMenuBuilder, 10000);
    for (const auto& [root, name, folder] : kFolders) folders_.emplace_back(root, name, Path(folder));
    menuBuilder_.SetText(L"");
  }
  void TearDown() override {
    folders_.clear();
    TempFolderTest::TearDown();
  }
  std::wstring UserDesktop() const { return Path(L"UserDesktop"); }
  std::wstring CommonDesktop() const { return Path(L"CommonDesktop"); }
  std::wstring CommonStartMenu() const { return Path(L"CommonStartMenu"); }
  std::wstring UserGroup() const { return Path(L"UserPrograms\\Bramix"); }
  std::wstring CommonGroup() const { return Path(L"CommonPrograms\\Bramix"); }

  const ScopedSettingsStore store_;
  const ScopedLanguageTable language_;
  const ScopedProgramFile program_{L"Bramix.exe"};
  const ScopedProgramFile help_{L"Bramix.chm"};
  const ScopedProgramFile news_{L"Novit\u00e0.txt"};

 private:
  struct Folder {
    HKEY root;
    const wchar_t* name;
    const wchar_t* folder;
  };
  static inline const Folder kFolders[] = {
      {HKEY_CURRENT_USER, L"Desktop", L"UserDesktop"},
      {HKEY_CURRENT_USER, L"Start Menu", L"UserStartMenu"},
      {HKEY_CURRENT_USER, L"Programs", L"UserPrograms"},
      {HKEY_LOCAL_MACHINE, L"Common Desktop", L"CommonDesktop"},
      {HKEY_LOCAL_MACHINE, L"Common Start Menu", L"CommonStartMenu"},
      {HKEY_LOCAL_MACHINE, L"Common Programs", L"CommonPrograms"},
  };
  std::list<ScopedShellFolder> folders_;
  const ScopedRegistryValue menuBuilder_{HKEY_CURRENT_USER, kWineOverridesKey, kMenuBuilder};
};

}  // namespace

TEST_F(ShortcutsTest, DesktopShortcutGoesToEveryUsersDesktopWhenTheUserHasNone) {
  UpdateShortcuts(IntegrationOptions{.Desktop = true}, kThemeIcon);
  const Shortcut shortcut = ReadShortcut(CommonDesktop() + L"\\Bramix.lnk");
  ASSERT_TRUE(shortcut.Loaded);
  EXPECT_EQ(program_.Path(), shortcut.Target);
  EXPECT_EQ(kDescription, shortcut.Description);
  EXPECT_EQ(kThemeIcon, shortcut.Icon);
  EXPECT_FALSE(Exists(UserDesktop() + L"\\Bramix.lnk"));
}

TEST_F(ShortcutsTest, UsersOwnDesktopShortcutIsUpdatedAndKeepsItsHotKey) {
  const WORD hotKey = MAKEWORD('B', HOTKEYF_CONTROL | HOTKEYF_ALT);
  WriteUsersShortcut(UserDesktop() + L"\\Bramix.lnk", hotKey);
  UpdateShortcuts(IntegrationOptions{.Desktop = true}, L"");
  const Shortcut shortcut = ReadShortcut(UserDesktop() + L"\\Bramix.lnk");
  EXPECT_EQ(program_.Path(), shortcut.Target);
  EXPECT_EQ(hotKey, shortcut.HotKey);
  EXPECT_FALSE(Exists(CommonDesktop() + L"\\Bramix.lnk"));
}

TEST_F(ShortcutsTest, DesktopOffDeletesTheUsersShortcutBeforeEveryUsersOne) {
  WriteUsersShortcut(UserDesktop() + L"\\Bramix.lnk", 0);
  WriteUsersShortcut(CommonDesktop() + L"\\Bramix.lnk", 0);
  UpdateShortcuts(IntegrationOptions{}, L"");
  EXPECT_FALSE(Exists(UserDesktop() + L"\\Bramix.lnk"));
  EXPECT_TRUE(Exists(CommonDesktop() + L"\\Bramix.lnk"));
  UpdateShortcuts(IntegrationOptions{}, L"");
  EXPECT_FALSE(Exists(CommonDesktop() + L"\\Bramix.lnk"));
}

TEST_F(ShortcutsTest, StartMenuShortcutGoesToEveryUsersStartMenuAndWorksInTheUsersDesktop) {
  UpdateShortcuts(IntegrationOptions{.StartMenu = true}, kThemeIcon);
  const Shortcut shortcut = ReadShortcut(CommonStartMenu() + L"\\Bramix.lnk");
  ASSERT_TRUE(shortcut.Loaded);
  EXPECT_EQ(program_.Path(), shortcut.Target);
  EXPECT_EQ(UserDesktop(), shortcut.WorkFolder);
  EXPECT_EQ(kThemeIcon, shortcut.Icon);
}

TEST_F(ShortcutsTest, ProgramGroupsHoldExactlyTheItemsWhoseTargetsExist) {
  for (const std::wstring& group : {UserGroup(), CommonGroup()}) {
    WriteBytes(group + L"\\Old.lnk", "stale");
    WriteBytes(group + L"\\Keep\\inner.txt", "kept");
  }
  UpdateShortcuts(IntegrationOptions{.Programs = true}, L"");
  const std::set<std::wstring> expected = {L"Bramix.lnk", L"Guida a Bramix.lnk",
                                           L"Novit\u00e0 dell'ultima versione.lnk", L"Keep/"};
  EXPECT_EQ(expected, Listing(UserGroup()));
  EXPECT_EQ(expected, Listing(CommonGroup()));
}

TEST_F(ShortcutsTest, GroupItemsPointAtTheirTargetsWithTheThemeIconOnTheProgramOnly) {
  const ScopedProgramFile manual(L"Zpk.txt");
  UpdateShortcuts(IntegrationOptions{.Programs = true}, kThemeIcon);
  struct Row {
    const wchar_t* link;
    std::wstring target;
    const wchar_t* icon;
  };
  const Row rows[] = {
      {L"Bramix.lnk", program_.Path(), kThemeIcon},
      {L"Guida a Bramix.lnk", help_.Path(), L""},
      {L"Manuale di ZPK in modalit\u00e0 carattere.lnk", manual.Path(), L""},
      {L"Novit\u00e0 dell'ultima versione.lnk", news_.Path(), L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.link)));
    const Shortcut shortcut = ReadShortcut(CommonGroup() + L"\\" + row.link);
    ASSERT_TRUE(shortcut.Loaded);
    EXPECT_EQ(row.target, shortcut.Target);
    EXPECT_EQ(UserDesktop(), shortcut.WorkFolder);
    EXPECT_EQ(kDescription, shortcut.Description);
    EXPECT_EQ(row.icon, shortcut.Icon);
  }
}

TEST_F(ShortcutsTest, NothingIsWrittenWhenTheSettingsFileForbidsIntegration) {
  StringList lines;
  SplitTextLines(L"Global\\Integration=0\n", lines);
  WritableSettingsStore().LoadLines(lines, L"");
  UpdateShortcuts(IntegrationOptions{.Desktop = true, .StartMenu = true, .Programs = true}, L"");
  for (const std::wstring& folder : {CommonDesktop(), CommonStartMenu(), Path(L"UserPrograms"), Path(L"CommonPrograms")})
    EXPECT_TRUE(Listing(folder).empty()) << testing::PrintToString(folder);
}

namespace {
using GetFileAttributesFunction = DWORD(WINAPI*)(LPCWSTR);
const auto realGetFileAttributes = reinterpret_cast<GetFileAttributesFunction>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFileAttributesW")));

// Reports the program groups as links, as a junction in their place would be.
DWORD WINAPI GroupsAsLinks(LPCWSTR path) {
  const DWORD attributes = realGetFileAttributes(path);
  const std::wstring name = path;
  const bool isGroup = name.size() >= 7 && name.compare(name.size() - 7, 7, L"\\Bramix") == 0;
  return isGroup && attributes != INVALID_FILE_ATTRIBUTES ? attributes | FILE_ATTRIBUTE_REPARSE_POINT : attributes;
}
}  // namespace

TEST_F(ShortcutsTest, NothingIsDeletedThroughAGroupFolderThatIsALink) {
  WriteBytes(CommonGroup() + L"\\Someone else's.lnk", "theirs");
  {
    const ScopedImportPatch patch("GetFileAttributesW", reinterpret_cast<void*>(GroupsAsLinks));
    ASSERT_TRUE(patch.Patched());
    UpdateShortcuts(IntegrationOptions{.Programs = true}, L"");
  }
  EXPECT_TRUE(Exists(CommonGroup() + L"\\Someone else's.lnk"));
}
