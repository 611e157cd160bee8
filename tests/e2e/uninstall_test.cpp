#include <gtest/gtest.h>
#include <windows.h>

#include "environment/temp_folder.h"
#include "support/wine_program.h"

namespace {

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPending[] = L"PendingFileRenameOperations";
const wchar_t kQuestion[] =
    L"Tutta la configurazione, comprese le parole chiavi memorizzate sia nell'organizzatore delle Parole chiavi sia "
    L"nei Profili di compressione, verranno perse a meno che non siano state esportate in precedenza.\r\n\r\n"
    L"Avvio la rimozione di Bramix?";
const wchar_t kNoList[] = L"Impossibile aprire la lista dei file Uninstall.lst";
constexpr DWORD kTimeout = 60000;
const std::pair<HKEY, const wchar_t*> kProductKeys[] = {
    {HKEY_CURRENT_USER, L"Software\\Bramix"}, {HKEY_CLASSES_ROOT, L"Bramix"},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver"},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe"}};

void SetProductKeys(bool present) {
  for (const auto& [root, path] : kProductKeys) {
    RegDeleteTreeW(root, path);
    if (present) RegSetKeyValueW(root, path, L"v", REG_SZ, L"x", 4);
  }
}

void ExpectProductKeys(bool present) {
  for (const auto& [root, path] : kProductKeys)
    EXPECT_EQ(present, RegOpenKeyExW(root, path, 0, KEY_READ, UniqueHkey().put()) == ERROR_SUCCESS) << path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring PendingRenames() {  // empty when the value is missing
  std::wstring value(32768, L'\0');
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, RRF_RT_REG_MULTI_SZ, nullptr, value.data(), &size))
    return L"";
  value.resize(size / sizeof(wchar_t));
  return value;
}

bool Scheduled(const std::wstring& path) {
  return (L'\0' + PendingRenames()).find(std::wstring(1, L'\0') + L"\\??\\" + path + L'\0') != std::wstring::npos;
}

bool Answer(const ChildProcess& program, const std::wstring& text, int button) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeout; Sleep(50)) {
    HWND box = WaitForWindow(program.Pid(), L"#32770", 1000);
    if (!box || ControlText(box, 0xFFFF) != text) continue;
    EXPECT_EQ(L"Rimuovi Bramix", WindowText(box));
    PressButton(box, button);
    return true;
  }
  return false;
}

// The exit code once the program and its script have ended; a box not answered here makes it time out.
DWORD RunUninstaller(const StagedInstallation& install, const wchar_t* args, int answer,
                     const wchar_t* message = nullptr) {
  ChildProcess program;
  EXPECT_TRUE(program.Start(install.Exe(), args));
  if (answer && !Answer(program, kQuestion, answer)) ADD_FAILURE() << "no question";
  if (message && !Answer(program, message, IDOK)) ADD_FAILURE() << "no box showing " << message;
  EXPECT_TRUE(program.Wait(kTimeout));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kTimeout));
  return program.ExitCode();
}

class Uninstall : public testing::Test {
 protected:
  void SetUp() override { DeleteFileW(script_.c_str()); SetProductKeys(false); }
  void TearDown() override {
    SetProductKeys(false);
    WaitForProcessesToEnd(L"cmd.exe", kTimeout);
    if (pending_.empty()) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending);
    else RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, REG_MULTI_SZ, pending_.data(),
                         static_cast<DWORD>(pending_.size() * sizeof(wchar_t)));
  }
  const std::wstring script_ = GetSystemTempFolder() + L"Uninstall_Zpk.Bat", pending_ = PendingRenames();
};

}  // namespace

TEST_F(Uninstall, SilentRunRemovesEverythingListedTheProgramAndTheFolder) {
  for (const wchar_t* name : {L"Bramix 100% %TEMP%", L"Bramix 5% \u00e8 \u03b1\u03b2\u03b3"}) {
    StagedInstallation outside(L"C:\\Program Files\\BramixOuter");
    StagedInstallation browser(GetSystemTempFolder() + L"Bramix.exe.WebView2");
    outside.WriteFile(L"outside.txt", "keep");
    browser.WriteFile(L"EBWebView\\Default\\Cookies", "c");
    StagedInstallation install(outside.Path(L"a\\") + name);
    for (const wchar_t* file : {L"Bramix.exe", L"docs\\readme.txt", L"docs\\lang\\it.lng", L"readonly.dll",
                                L"hidden.dat", L"blank end.txt", L"last.txt"})
      install.WriteFile(file, "x");
    SetFileAttributesW(install.Path(L"readonly.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(install.Path(L"hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW(install.Path(L"docs\\lang").c_str(), FILE_ATTRIBUTE_READONLY);
    install.WriteFile(L"Uninstall.lst",
                      "docs\r\ndocs\\lang\r\n\r\nBramix.exe\r\ndocs\\lang\\it.lng \t\r\n   \r\ndocs\\readme.txt\n"
                      "readonly.dll\r\nhidden.dat\r\nnot there.txt\r\nblank end.txt  \r\nUNINSTALL.EXE\r\n"
                      "..\\..\\outside.txt\r\nUninstall.lst\r\nlast.txt");
    EXPECT_EQ(0u, RunUninstaller(install, L"/s", 0));
    EXPECT_FALSE(Exists(install.Folder())) << name;
    EXPECT_TRUE(outside.Exists(L"outside.txt"));
    EXPECT_FALSE(Exists(browser.Folder()));
    EXPECT_FALSE(Exists(script_));
  }
}

TEST_F(Uninstall, MissingListAnswerNoAndLockedFilesSilentAndInteractive) {
  StagedInstallation parent(L"C:\\Program Files\\BramixLocked"), install(parent.Path(L"bRAMIX"));
  for (const wchar_t* file :
       {L"free.txt", L"themes\\own.theme", L"themes\\user.theme", L"zpkext.dll.0.tmp", L"open.dat"})
    install.WriteFile(file, "x");
  CopyFileW(BuiltUninstallExe().c_str(), install.Path(L"zpkext.dll").c_str(), FALSE);
  SetProductKeys(true);
  // Without a list (with /s too) the error is shown; answered No: nothing changes.
  EXPECT_EQ(0u, RunUninstaller(install, L"", IDYES, kNoList));
  EXPECT_EQ(0u, RunUninstaller(install, L"/s", 0, kNoList));
  install.WriteList({L"themes", L"themes\\own.theme", L"zpkext.dll", L"free.txt", L"Uninstall.exe", L"Uninstall.lst"});
  EXPECT_EQ(0u, RunUninstaller(install, L"", IDNO));
  for (const wchar_t* file : {L"free.txt", L"zpkext.dll", L"Uninstall.exe"}) EXPECT_TRUE(install.Exists(file)) << file;
  EXPECT_FALSE(Exists(script_));
  ExpectProductKeys(true);

  // An image in use is renamed, not deleted; silently: no notice, folder not scheduled.
  UniqueModule image(LoadLibraryExW(install.Path(L"zpkext.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
  ASSERT_TRUE(image);
  EXPECT_EQ(0u, RunUninstaller(install, L"/s", 0));
  EXPECT_TRUE(install.Exists(L"themes\\user.theme"));
  for (const wchar_t* file : {L"themes\\own.theme", L"free.txt", L"zpkext.dll", L"Uninstall.lst", L"Uninstall.exe",
                              L"Uninstall.exe.0.tmp"})
    EXPECT_FALSE(install.Exists(file)) << file;
  EXPECT_TRUE(install.Exists(L"zpkext.dll.1.tmp"));
  EXPECT_TRUE(Scheduled(install.Path(L"zpkext.dll.1.tmp")));
  EXPECT_FALSE(Scheduled(install.Folder()));
  ExpectProductKeys(false);

  // A file open without sharing is scheduled under its own name; the notice once, the folder too.
  CopyFileW(BuiltUninstallExe().c_str(), install.Exe().c_str(), FALSE);
  install.WriteList({L"open.dat", L"Uninstall.exe", L"Uninstall.lst"});
  UniqueFile open(CreateFileW(install.Path(L"open.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(open);
  EXPECT_EQ(0u, RunUninstaller(install, L"", IDYES,
                               L"Occorre riavviare Windows per completare la disinstallazione di Bramix."));
  EXPECT_TRUE(Scheduled(install.Path(L"open.dat")));
  EXPECT_TRUE(Scheduled(install.Folder()));
  for (const wchar_t* file : {L"Uninstall.exe", L"Uninstall.lst"})
    EXPECT_FALSE(Scheduled(install.Path(file)) || install.Exists(file)) << file;
}
