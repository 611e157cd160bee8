// The switches of the real Uninstall.exe: which ones end at once, wait, warn, or
// leave the run to the uninstall mode, and what the package's sfxcmd may ask for.
// Every run uses a copy of the program in a staged folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

namespace {

constexpr DWORD kRunTimeout = 60000;
constexpr DWORD kWaitMilliseconds = 2000;
constexpr DWORD kTimerSlack = 100;
const wchar_t kCaption[] = L"Rimuovi Bramix";

std::wstring StagedFolder(const wchar_t* stem) {
  return std::wstring(L"C:\\Program Files\\") + stem + L" " + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount());
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs the program to its end, failing the test if it shows any window on the way.
DWORD RunWithoutWindow(const std::wstring& exe, const std::wstring& args, DWORD* elapsed = nullptr) {
  ChildProcess program;
  const DWORD start = GetTickCount();
  EXPECT_TRUE(program.Start(exe, args));
  while (!program.Wait(50)) {
    EXPECT_FALSE(HasWindow(program.Pid(), L"#32770")) << args.substr(0, 80);
    if (GetTickCount() - start > kRunTimeout) break;
  }
  if (elapsed) *elapsed = GetTickCount() - start;
  return program.ExitCode();
}

class Switches : public testing::Test {
 protected:
  void TearDown() override { WaitForProcessesToEnd(L"cmd.exe", kRunTimeout); }
};

}  // namespace

TEST_F(Switches, UnrecognisedOrWorklessSwitchesEndAtOnceWithoutWindow) {
  StagedInstallation install(StagedFolder(L"Bramix Switches"));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe"});
  for (const wchar_t* args : {L"/unknownswitch", L"-noexplorer", L"/noexit", L"-msi", L"/EXTALL", L"-initA1 /s"}) {
    EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), args)) << args;
  }
  EXPECT_TRUE(install.Exists(L"Bramix.exe"));
  EXPECT_TRUE(install.Exists(L"Uninstall.lst"));
}

TEST_F(Switches, WaitSleepsTwoSecondsThenEnds) {
  StagedInstallation install(StagedFolder(L"Bramix Wait"));
  DWORD elapsed = 0;
  EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), L"/wait", &elapsed));
  EXPECT_GE(elapsed, kWaitMilliseconds - kTimerSlack);
  EXPECT_TRUE(install.Exists(L"Uninstall.exe"));
}

TEST_F(Switches, WaitThenWarningShowsTheManualDeletionBox) {
  StagedInstallation install(StagedFolder(L"Bramix Warning"));
  ChildProcess program;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(program.Start(install.Exe(), L"/wait /warning"));
  HWND box = WaitForWindow(program.Pid(), L"#32770", kRunTimeout);
  ASSERT_NE(nullptr, box);
  EXPECT_GE(GetTickCount() - start, kWaitMilliseconds - kTimerSlack);
  EXPECT_EQ(kCaption, WindowText(box));
  EXPECT_EQ(L"Rimozione completa\nOccorre eliminare il file " + install.Exe() + L" manualmente",
            ControlText(box, 0xFFFF));
  EXPECT_FALSE(program.Wait(0));
  PressButton(box, IDOK);
  ASSERT_TRUE(program.Wait(kRunTimeout));
  EXPECT_EQ(0u, program.ExitCode());
  EXPECT_TRUE(install.Exists(L"Uninstall.exe"));
}

TEST_F(Switches, LongCommandLinesEndWithoutWindow) {
  StagedInstallation install(StagedFolder(L"Bramix Long"));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe"});
  std::wstring many = L"/noexplorer";
  for (int i = 0; i < 3000; ++i) many += i % 3 ? L" -s" : L" \"an argument\" \"";
  EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), many));
  EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), L"-noexplorer \"/init" + std::wstring(30000, L'1') + L"\""));
  EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), L"/" + std::wstring(32000, L'x')));
  EXPECT_TRUE(install.Exists(L"Bramix.exe"));
}

TEST_F(Switches, PackageCommandLineCannotAskForSetup) {
  StagedInstallation install(StagedFolder(L"Bramix Sfxcmd Setup"));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe"});
  ScopedEnvVar sfxcmd(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -setup -msi");
  ChildProcess program;
  ASSERT_TRUE(program.Start(install.Exe(), L""));
  // No switch on the command line: an uninstall run, which asks first.
  HWND question = WaitForWindow(program.Pid(), L"#32770", kRunTimeout);
  ASSERT_NE(nullptr, question);
  EXPECT_EQ(kCaption, WindowText(question));
  EXPECT_NE(std::wstring::npos, ControlText(question, 0xFFFF).find(L"Avvio la rimozione di Bramix?"));
  PressButton(question, IDNO);
  ASSERT_TRUE(program.Wait(kRunTimeout));
  EXPECT_EQ(0u, program.ExitCode());
  EXPECT_TRUE(install.Exists(L"Bramix.exe"));
}

TEST_F(Switches, PackageCommandLineCanMakeTheRunSilent) {
  StagedInstallation install(StagedFolder(L"Bramix Sfxcmd Silent"));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe"});
  ScopedEnvVar sfxcmd(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -s");
  EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), L""));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kRunTimeout));
  EXPECT_FALSE(Exists(install.Path(L"Bramix.exe")));
}
