// The uninstall run of the real Uninstall.exe: what it deletes, what it leaves,
// what it schedules for the next Windows start, and what it tells the user.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "e2e/staged_product.h"
#include "environment/temp_folder.h"
#include "support/pending_renames.h"
#include "support/unix_link.h"

namespace {

const wchar_t kQuestion[] =
    L"Tutta la configurazione, comprese le parole chiavi memorizzate sia nell'organizzatore delle Parole chiavi sia "
    L"nei Profili di compressione, verranno perse a meno che non siano state esportate in precedenza.\r\n\r\n"
    L"Avvio la rimozione di Bramix?";
const wchar_t kNoList[] = L"Impossibile aprire la lista dei file Uninstall.lst";
const wchar_t kRestartNotice[] = L"Occorre riavviare Windows per completare la disinstallazione di Bramix.";
const std::pair<HKEY, const wchar_t*> kProductKeys[] = {
    {HKEY_CURRENT_USER, L"Software\\Bramix"},
    {HKEY_CLASSES_ROOT, L"Bramix"},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver"},
};

void SetProductKeys(bool present) {
  for (const auto& [root, path] : kProductKeys) {
    RegDeleteTreeW(root, path);
    if (present) PutText(root, path, L"v", L"x");
  }
}

void ExpectProductKeys(bool present) {
  for (const auto& [root, path] : kProductKeys) EXPECT_EQ(present, KeyExists(root, path)) << path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs the uninstaller and answers its boxes in turn: each with the text given and
// the button; the exit code once the program and its script have ended. A box that
// is not answered here makes the run time out.
DWORD RunUninstaller(const StagedInstallation& install, const wchar_t* args,
                     const std::vector<std::pair<const wchar_t*, int>>& answers = {}) {
  ChildProcess program(install.Exe(), args);
  HWND shown = nullptr;
  for (const auto& [text, button] : answers) {
    shown = program.NextDialog(shown);
    if (shown == nullptr) {
      ADD_FAILURE() << "no box showing " << testing::PrintToString(std::wstring(text));
      break;
    }
    EXPECT_EQ(L"Rimuovi Bramix", WindowText(shown));
    EXPECT_EQ(text, ControlText(shown, kBoxText));
    PressButton(shown, button);
  }
  EXPECT_TRUE(program.Wait(kSetupTimeout));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kSetupTimeout));
  return program.ExitCode();
}

// A run over a list naming a file that the test holds open without sharing:
// interactive, answered Yes and then the restart notice `notice`, or silent without one.
void RunWithOpenFile(const StagedInstallation& install, const wchar_t* notice) {
  install.WriteFile(L"open.dat", "x");
  install.WriteList({L"open.dat", L"zpklng.dll", L"Uninstall.exe", L"Uninstall.lst"});
  UniqueFile open(CreateFileW(install.Path(L"open.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(open);
  if (notice == nullptr)
    EXPECT_EQ(0u, RunUninstaller(install, L"/s"));
  else
    EXPECT_EQ(0u, RunUninstaller(install, L"", {{kQuestion, IDYES}, {notice, IDOK}}));
}

// A folder outside any installation that links point at: a file in "kept", and "empty".
struct LinkTargets : StagedInstallation {
  LinkTargets() : StagedInstallation(L"C:\\BramixOutside") {
    WriteFile(L"kept\\y.txt", "keep");
    CreateDirectoryW(Path(L"empty").c_str(), nullptr);
  }
  void ExpectUntouched() const {
    EXPECT_TRUE(Exists(L"kept\\y.txt"));
    EXPECT_TRUE(Exists(L"empty"));
  }
};

class Uninstall : public testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(script_.c_str());
    SetProductKeys(false);
  }
  void TearDown() override { SetProductKeys(false); }
  const std::wstring script_ = GetSystemTempFolder() + L"Uninstall_Zpk.Bat";
  const ScopedPendingRenames pending_;
};

}  // namespace

TEST_F(Uninstall, SilentRunRemovesTheInstallationWhateverTheFolderName) {
  for (const wchar_t* name : {L"Bramix 100% %TEMP%", L"Bramix 5% \u00e8 \u03b1\u03b2\u03b3"}) {
    SCOPED_TRACE(name);
    StagedInstallation install(L"C:\\Program Files\\BramixOuter\\" + std::wstring(name));
    for (const wchar_t* file : {L"Bramix.exe", L"docs\\readme.txt", L"docs\\lang\\it.lng", L"readonly.dll",
                                L"hidden.dat", L"blank end.txt", L"last.txt"})
      install.WriteFile(file, "x");
    SetFileAttributesW(install.Path(L"readonly.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(install.Path(L"hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW(install.Path(L"docs\\lang").c_str(), FILE_ATTRIBUTE_READONLY);
    install.WriteFile(L"Uninstall.lst",
                      "docs\r\ndocs\\lang\r\n\r\nBramix.exe\r\ndocs\\lang\\it.lng \t\r\n   \r\ndocs\\readme.txt\n"
                      "readonly.dll\r\nhidden.dat\r\nnot there.txt\r\nblank end.txt  \r\nUNINSTALL.EXE\r\n"
                      "Uninstall.lst\r\nlast.txt");
    EXPECT_EQ(0u, RunUninstaller(install, L"/s"));
    EXPECT_FALSE(Exists(install.Folder()));
    EXPECT_FALSE(Exists(script_));
  }
}

TEST_F(Uninstall, UnlistedFileStays) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Unlisted");
  install.WriteFile(L"themes\\own.theme", "x");
  install.WriteFile(L"themes\\user.theme", "x");
  install.WriteList({L"themes", L"themes\\own.theme", L"Uninstall.exe", L"Uninstall.lst"});
  RunUninstaller(install, L"/s");
  EXPECT_FALSE(install.Exists(L"themes\\own.theme"));
  EXPECT_TRUE(install.Exists(L"themes\\user.theme"));
}

// The boxes on the way are those the run must show (the list error included).
TEST_F(Uninstall, RunThatDoesNotGoAheadChangesNothing) {
  const struct {
    const char* name;
    const char* list;  // null: none
    const wchar_t* args;
    std::vector<std::pair<const wchar_t*, int>> answers;
  } rows[] = {
      {"no list", nullptr, L"", {{kQuestion, IDYES}, {kNoList, IDOK}}},
      {"list without a usable entry", "\r\n  \r\n..\\outside.txt\r\n", L"/s", {{kNoList, IDOK}}},
      {"question declined", "Bramix.exe\r\nUninstall.exe\r\nUninstall.lst\r\n", L"", {{kQuestion, IDNO}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    StagedInstallation install(L"C:\\Program Files\\Bramix Not Removed");
    install.WriteFile(L"Bramix.exe", "x");
    if (row.list) install.WriteFile(L"Uninstall.lst", row.list);
    SetProductKeys(true);
    EXPECT_EQ(0u, RunUninstaller(install, row.args, row.answers));
    EXPECT_TRUE(install.Exists(L"Bramix.exe"));
    EXPECT_FALSE(Exists(script_));
    ExpectProductKeys(true);
  }
}

TEST_F(Uninstall, ListsInTheEncodingsInstallersWriteAreRead) {
  const struct {
    const char* name;
    std::string bytes;
    const wchar_t* file;  // the file in docs that the list names
  } kLists[] = {
      {"UTF-16 LE mark", Utf16FileBytes(L"Bramix.exe\r\ndocs\\\u00e8.txt\r\ndocs\r\n"), L"docs\\\u00e8.txt"},
      {"UTF-8 mark", "\xEF\xBB\xBF" "Bramix.exe\r\ndocs\\\xC3\xA8.txt\r\ndocs\r\n", L"docs\\\u00e8.txt"},
      {"lone CR", "Bramix.exe\rdocs\\a.txt\rdocs\r", L"docs\\a.txt"},
  };
  for (const auto& list : kLists) {
    SCOPED_TRACE(list.name);
    StagedInstallation install(L"C:\\Program Files\\Bramix Encoded List");
    install.WriteFile(L"Bramix.exe", "x");
    install.WriteFile(list.file, "x");
    install.WriteFile(L"Uninstall.lst", list.bytes);
    RunUninstaller(install, L"/s");
    EXPECT_FALSE(install.Exists(L"Bramix.exe"));
    EXPECT_FALSE(install.Exists(L"docs"));
  }
}

TEST_F(Uninstall, LockedDllIsMovedAsideAndScheduled) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Locked");
  CopyFileW(BuiltUninstallExe().c_str(), install.Path(L"zpkext.dll").c_str(), FALSE);
  install.WriteList({L"zpkext.dll", L"Uninstall.exe", L"Uninstall.lst"});
  UniqueModule image(LoadLibraryExW(install.Path(L"zpkext.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
  ASSERT_TRUE(image);
  RunUninstaller(install, L"/s");
  EXPECT_FALSE(install.Exists(L"zpkext.dll"));
  EXPECT_TRUE(ScheduledAtRestart(install.Path(L"zpkext.dll.0.tmp")));
}

TEST_F(Uninstall, FileOpenWithoutSharingIsScheduledUnderItsOwnName) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Open File");
  RunWithOpenFile(install, kRestartNotice);
  EXPECT_TRUE(ScheduledAtRestart(install.Path(L"open.dat")));
}

// A file left behind keeps the folder; only an interactive run schedules it, and only
// when it is named Bramix.
TEST_F(Uninstall, FolderIsScheduledAtRestartOnlyWhenNamedBramixInAnyCaseAndTheRunAsks) {
  const StagedInstallation parent(L"C:\\Program Files\\BramixCase");
  const struct {
    const wchar_t* name;
    const wchar_t* notice;  // null: a silent run
    bool scheduled;
  } rows[] = {{L"bRAMIX", kRestartNotice, true}, {L"Bramix Tools", kRestartNotice, false}, {L"Bramix", nullptr, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.name) + (row.notice ? L"" : L", silent")));
    StagedInstallation install(parent.Path(row.name));
    RunWithOpenFile(install, row.notice);
    EXPECT_EQ(row.scheduled, ScheduledAtRestart(install.Folder()));
  }
}

TEST_F(Uninstall, RestartNoticeComesFromTheLanguageLibrary) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Notice");
  ASSERT_TRUE(WriteLanguageLibrary(install, {{5126, L"Restart Windows to finish"}}));
  RunWithOpenFile(install, L"Restart Windows to finish");
}

TEST_F(Uninstall, EntryThroughOrNamingAFolderLinkLeavesWhatItPointsTo) {
  for (const auto& [entry, target] : {std::pair{L"Data\\y.txt", L"kept"}, std::pair{L"Data", L"empty"}}) {
    SCOPED_TRACE(entry);
    const LinkTargets outside;
    StagedInstallation install(L"C:\\Program Files\\Bramix Linked");
    install.WriteList({entry, L"Uninstall.exe", L"Uninstall.lst"});
    ScopedUnixLink link(outside.Path(target), install.Path(L"Data"));
    ASSERT_TRUE(link.Made());
    RunUninstaller(install, L"/s");
    outside.ExpectUntouched();
  }
}

TEST_F(Uninstall, BrowserDataFolderLinksAreNotFollowed) {
  const LinkTargets outside;
  StagedInstallation browser(GetSystemTempFolder() + L"Bramix.exe.WebView2");
  browser.WriteFile(L"EBWebView\\Default\\Cookies", "c");
  StagedInstallation install(L"C:\\Program Files\\Bramix Browser Links");
  install.WriteList({L"Uninstall.exe", L"Uninstall.lst"});
  ScopedUnixLink full(outside.Path(L"kept"), browser.Path(L"EBWebView\\full"));
  ScopedUnixLink empty(outside.Path(L"empty"), browser.Path(L"empty"));
  ASSERT_TRUE(full.Made());
  ASSERT_TRUE(empty.Made());
  RunUninstaller(install, L"/s");
  outside.ExpectUntouched();
  EXPECT_FALSE(browser.Exists(L"EBWebView\\Default\\Cookies"));
}

// The product trees go whole, whatever names and depths lie below them.
TEST_F(Uninstall, ProductTreesGoWithLongNamesAndDeepPathsBelowThem) {
  std::wstring deep = L"\\Deep";
  for (wchar_t c = L'a'; deep.size() <= 600; ++c) deep += L"\\" + std::wstring(100, c);
  const struct {
    const char* name;
    std::wstring below;
  } rows[] = {{"subkey name of 255 characters", L"\\" + std::wstring(255, L'n') + L"\\child"},
              {"path beyond 512 characters", deep}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    StagedInstallation install(L"C:\\Program Files\\BramixRegistry");
    install.WriteList({L"Uninstall.exe", L"Uninstall.lst"});
    for (const auto& [root, path] : {kProductKeys[0], kProductKeys[1]}) {
      ASSERT_TRUE(PutText(root, path + row.below, L"v", L"x"));
      ASSERT_TRUE(PutText(root, path + std::wstring(L"\\zz sibling"), L"v", L"x"));  // listed after the long name
    }
    RunUninstaller(install, L"/s");
    ExpectProductKeys(false);
  }
}
