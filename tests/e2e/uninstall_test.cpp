// The uninstall run of the real Uninstall.exe on installations staged in the
// prefix: what it deletes, what it leaves, what it schedules and what it shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/wine_program.h"

namespace {

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingRenames[] = L"PendingFileRenameOperations";
const wchar_t kUninstallEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";
const wchar_t kAppPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe";
const wchar_t kRebootNotice[] = L"Occorre riavviare Windows per completare la disinstallazione di Bramix.";
const wchar_t kCaption[] = L"Rimuovi Bramix";
constexpr DWORD kRunTimeout = 60000;

std::wstring UniqueName(const wchar_t* stem) {
  return std::wstring(stem) + L" " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp) + name;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeKey(HKEY root, const std::wstring& path) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The product's data as setup leaves it.
void MakeProductKeys() {
  MakeKey(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths");
  MakeKey(HKEY_CLASSES_ROOT, L"Bramix\\shell\\open\\command");
  MakeKey(HKEY_LOCAL_MACHINE, kUninstallEntry);
  MakeKey(HKEY_LOCAL_MACHINE, kAppPath);
}

void ExpectProductKeys(bool present) {
  EXPECT_EQ(present, KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix"));
  EXPECT_EQ(present, KeyExists(HKEY_CLASSES_ROOT, L"Bramix"));
  EXPECT_EQ(present, KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
  EXPECT_EQ(present, KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
}

void RemoveProductKeys() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Bramix");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallEntry);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAppPath);
}

// PendingFileRenameOperations as it was before a test, put back afterwards.
class PendingRenames {
 public:
  PendingRenames() { had_ = Read(bytes_); }
  ~PendingRenames() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (had_)
      RegSetValueExW(key, kPendingRenames, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(bytes_.data()),
                     static_cast<DWORD>(bytes_.size() * sizeof(wchar_t)));
    else
      RegDeleteValueW(key, kPendingRenames);
    RegCloseKey(key);
  }
  // The strings added since the start, without the "\??\" prefix.
  static std::vector<std::wstring> Current() {
    std::vector<std::wstring> strings;
    std::wstring bytes;
    if (!Read(bytes)) return strings;
    for (size_t start = 0; start < bytes.size();) {
      size_t end = bytes.find(L'\0', start);
      if (end == std::wstring::npos) end = bytes.size();
      std::wstring item = bytes.substr(start, end - start);
      if (item.rfind(L"\\??\\", 0) == 0) strings.push_back(item.substr(4));
      start = end + 1;
    }
    return strings;
  }
  static bool Holds(const std::wstring& path) {
    for (const std::wstring& item : Current())
      if (_wcsicmp(item.c_str(), path.c_str()) == 0) return true;
    return false;
  }

 private:
  static bool Read(std::wstring& out) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool found = RegQueryValueExW(key, kPendingRenames, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
    out.assign(size / sizeof(wchar_t), L'\0');
    if (found) RegQueryValueExW(key, kPendingRenames, nullptr, nullptr, reinterpret_cast<BYTE*>(out.data()), &size);
    RegCloseKey(key);
    return found;
  }
  std::wstring bytes_;
  bool had_ = false;
};

// Runs the uninstaller with /s, then waits for the removal script to finish.
DWORD RunSilent(const StagedInstallation& install) {
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), L"/s"));
  EXPECT_TRUE(program.Wait(kRunTimeout));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kRunTimeout));
  return program.ExitCode();
}

// Answers the confirmation question of an interactive run.
void AnswerQuestion(const ChildProcess& program, int answer) {
  HWND question = WaitForWindow(program.Pid(), L"#32770", kRunTimeout);
  ASSERT_NE(nullptr, question);
  EXPECT_EQ(kCaption, WindowText(question));
  EXPECT_NE(std::wstring::npos, ControlText(question, 0xFFFF).find(L"Avvio la rimozione di Bramix?"));
  PressButton(question, answer);
}

class Uninstall : public testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(TempFile(L"Uninstall_Zpk.Bat").c_str());
    RemoveProductKeys();
  }
  void TearDown() override {
    RemoveProductKeys();
    WaitForProcessesToEnd(L"cmd.exe", kRunTimeout);
  }
};

}  // namespace

TEST_F(Uninstall, SilentRunRemovesTheListedFilesTheProgramAndTheFolder) {
  StagedInstallation install(L"C:\\Program Files\\" + UniqueName(L"Bramix"));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteFile(L"docs\\readme.txt", "r");
  install.WriteFile(L"docs\\lang\\it.lng", "l");
  install.WriteFile(L"readonly.dll", "d");
  install.WriteFile(L"hidden.dat", "h");
  install.WriteFile(L"blank end.txt", "b");
  install.WriteFile(L"last.txt", "z");
  SetFileAttributesW(install.Path(L"readonly.dll").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(install.Path(L"hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW(install.Path(L"docs\\lang").c_str(), FILE_ATTRIBUTE_READONLY);
  // Folders before their contents, blank lines, trailing blanks, a missing entry,
  // the uninstaller and the list themselves, and a last line without a line end.
  install.WriteFile(L"Uninstall.lst",
                    "docs\r\ndocs\\lang\r\n\r\nBramix.exe\r\ndocs\\lang\\it.lng \t\r\n   \r\ndocs\\readme.txt\n"
                    "readonly.dll\r\nhidden.dat\r\nnot there.txt\r\nblank end.txt  \r\nUNINSTALL.EXE\r\n"
                    "Uninstall.lst\r\nlast.txt");
  MakeProductKeys();
  const std::wstring browserData = TempFile(L"Bramix.exe.WebView2");
  StagedInstallation browser(browserData);
  browser.WriteFile(L"EBWebView\\Default\\Cookies", "c");

  EXPECT_EQ(0u, RunSilent(install));

  EXPECT_FALSE(Exists(install.Folder()));
  EXPECT_FALSE(Exists(browserData));
  EXPECT_FALSE(Exists(TempFile(L"Uninstall_Zpk.Bat")));
  ExpectProductKeys(false);
}

TEST_F(Uninstall, UnlistedFilesAndTheirFoldersStay) {
  StagedInstallation install(L"C:\\Program Files\\" + UniqueName(L"Bramix"));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteFile(L"themes\\own.theme", "t");
  install.WriteFile(L"themes\\user.theme", "u");
  install.WriteFile(L"notes.txt", "mine");
  install.WriteList({L"Bramix.exe", L"themes", L"themes\\own.theme", L"Uninstall.exe"});

  EXPECT_EQ(0u, RunSilent(install));

  EXPECT_TRUE(install.Exists(L"notes.txt"));
  EXPECT_TRUE(install.Exists(L"themes\\user.theme"));
  EXPECT_FALSE(install.Exists(L"themes\\own.theme"));
  EXPECT_FALSE(install.Exists(L"Bramix.exe"));
  EXPECT_FALSE(install.Exists(L"Uninstall.lst"));
  EXPECT_FALSE(install.Exists(L"Uninstall.exe"));
}

TEST_F(Uninstall, EntriesOutsideTheFolderAreLeftAlone) {
  const std::wstring outer = L"C:\\" + UniqueName(L"BramixOuter");
  StagedInstallation outside(outer);
  outside.WriteFile(L"outside.txt", "keep");
  outside.WriteFile(L"a\\sibling.txt", "keep");
  StagedInstallation install(outer + L"\\a\\Bramix");
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"..\\..\\outside.txt", L"..\\sibling.txt", L"sub\\..\\..\\sibling.txt", L"..", L"Bramix.exe",
                     L"Uninstall.exe"});

  EXPECT_EQ(0u, RunSilent(install));

  EXPECT_TRUE(outside.Exists(L"outside.txt"));
  EXPECT_TRUE(outside.Exists(L"a\\sibling.txt"));
  EXPECT_FALSE(Exists(install.Folder()));
}

TEST_F(Uninstall, FolderNamedWithPercentSpacesAndNonAsciiLettersIsRemoved) {
  // The first name keeps its form in the script, the second one takes its short form.
  for (const wchar_t* stem : {L"Bramix 100% %TEMP%", L"Bramix 5% \u00e8 \u03b1\u03b2\u03b3"}) {
    StagedInstallation install(L"C:\\Program Files\\" + UniqueName(stem));
    install.WriteFile(L"Bramix.exe", "exe");
    install.WriteFile(L"caff\u00e8\\nota.txt", "n");
    install.WriteList({L"caff\u00e8", L"caff\u00e8\\nota.txt", L"Bramix.exe", L"Uninstall.exe"});

    EXPECT_EQ(0u, RunSilent(install));

    EXPECT_FALSE(Exists(install.Folder())) << stem;
    EXPECT_FALSE(Exists(TempFile(L"Uninstall_Zpk.Bat")));
  }
}

TEST_F(Uninstall, LockedFilesAreScheduledAndTheNoticeShownOnce) {
  PendingRenames restore;
  const std::wstring parent = L"C:\\Program Files\\" + UniqueName(L"BramixLocked");
  StagedInstallation install(parent + L"\\bRAMIX");
  // A program image in use can be renamed but not deleted; a file opened without
  // sharing can be neither.
  CopyFileW(BuiltUninstallExe().c_str(), install.Path(L"zpkext.dll").c_str(), FALSE);
  install.WriteFile(L"zpkext.dll.0.tmp", "taken");
  install.WriteFile(L"open.dat", "o");
  install.WriteFile(L"free.txt", "f");
  install.WriteList({L"zpkext.dll", L"open.dat", L"free.txt", L"Uninstall.exe"});
  HMODULE image = LoadLibraryExW(install.Path(L"zpkext.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(nullptr, image);
  UniqueFile open(CreateFileW(install.Path(L"open.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(open);

  ChildProcess program;
  ASSERT_TRUE(program.Start(install.Exe(), L""));
  AnswerQuestion(program, IDYES);
  HWND notice = nullptr;
  for (DWORD start = GetTickCount(); !notice && GetTickCount() - start < kRunTimeout; Sleep(50)) {
    HWND box = WaitForWindow(program.Pid(), L"#32770", 1000);
    if (box && ControlText(box, 0xFFFF) == kRebootNotice) notice = box;
  }
  ASSERT_NE(nullptr, notice);
  EXPECT_EQ(kCaption, WindowText(notice));
  PressButton(notice, IDOK);
  // Once: the program ends without showing another box.
  EXPECT_TRUE(program.Wait(kRunTimeout));
  EXPECT_EQ(0u, program.ExitCode());
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kRunTimeout));

  EXPECT_TRUE(install.Exists(L"zpkext.dll.1.tmp"));
  EXPECT_FALSE(install.Exists(L"zpkext.dll"));
  EXPECT_TRUE(PendingRenames::Holds(install.Path(L"zpkext.dll.1.tmp")));
  EXPECT_TRUE(PendingRenames::Holds(install.Path(L"open.dat")));
  EXPECT_TRUE(PendingRenames::Holds(install.Folder()));
  EXPECT_FALSE(PendingRenames::Holds(install.Exe()));
  EXPECT_FALSE(install.Exists(L"free.txt"));
  EXPECT_FALSE(install.Exists(L"Uninstall.exe"));

  FreeLibrary(image);
  open.reset();
  DeleteTree(parent);
}

TEST_F(Uninstall, SilentRunSchedulesLockedFilesWithoutNoticeOrFolder) {
  PendingRenames restore;
  const std::wstring parent = L"C:\\Program Files\\" + UniqueName(L"BramixLocked");
  StagedInstallation install(parent + L"\\Bramix");
  CopyFileW(BuiltUninstallExe().c_str(), install.Path(L"zpkext.dll").c_str(), FALSE);
  install.WriteList({L"zpkext.dll", L"Uninstall.exe"});
  HMODULE image = LoadLibraryExW(install.Path(L"zpkext.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(nullptr, image);

  // A notice would keep the program waiting: it has to end by itself.
  EXPECT_EQ(0u, RunSilent(install));

  EXPECT_TRUE(install.Exists(L"zpkext.dll.0.tmp"));
  EXPECT_TRUE(PendingRenames::Holds(install.Path(L"zpkext.dll.0.tmp")));
  EXPECT_FALSE(PendingRenames::Holds(install.Folder()));
  FreeLibrary(image);
  DeleteTree(parent);
}

TEST_F(Uninstall, AnsweringNoChangesNothing) {
  StagedInstallation install(L"C:\\Program Files\\" + UniqueName(L"Bramix"));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe", L"Uninstall.exe"});
  MakeProductKeys();

  ChildProcess program;
  ASSERT_TRUE(program.Start(install.Exe(), L""));
  AnswerQuestion(program, IDNO);
  EXPECT_TRUE(program.Wait(kRunTimeout));
  EXPECT_EQ(0u, program.ExitCode());

  EXPECT_TRUE(install.Exists(L"Bramix.exe"));
  EXPECT_TRUE(install.Exists(L"Uninstall.lst"));
  EXPECT_TRUE(install.Exists(L"Uninstall.exe"));
  EXPECT_FALSE(Exists(TempFile(L"Uninstall_Zpk.Bat")));
  ExpectProductKeys(true);
}

TEST_F(Uninstall, MissingListIsReportedAlsoWhenSilentAndChangesNothing) {
  StagedInstallation install(L"C:\\Program Files\\" + UniqueName(L"Bramix"));
  install.WriteFile(L"Bramix.exe", "exe");
  MakeProductKeys();

  for (const wchar_t* args : {L"", L"/s"}) {
    ChildProcess program;
    ASSERT_TRUE(program.Start(install.Exe(), args));
    if (args[0] == 0) AnswerQuestion(program, IDYES);
    HWND error = nullptr;
    for (DWORD start = GetTickCount(); !error && GetTickCount() - start < kRunTimeout; Sleep(50)) {
      HWND box = WaitForWindow(program.Pid(), L"#32770", 1000);
      if (box && ControlText(box, 0xFFFF) == L"Impossibile aprire la lista dei file Uninstall.lst") error = box;
    }
    ASSERT_NE(nullptr, error) << args;
    EXPECT_EQ(kCaption, WindowText(error));
    PressButton(error, IDOK);
    EXPECT_TRUE(program.Wait(kRunTimeout));
    EXPECT_EQ(0u, program.ExitCode());
  }
  EXPECT_TRUE(install.Exists(L"Bramix.exe"));
  EXPECT_TRUE(install.Exists(L"Uninstall.exe"));
  EXPECT_FALSE(Exists(TempFile(L"Uninstall_Zpk.Bat")));
  ExpectProductKeys(true);
}
