// The switches of the real Uninstall.exe that run no mode, and what the package's sfxcmd may ask for.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

namespace {

constexpr DWORD kRunTimeout = 60000;
constexpr DWORD kWaitMinimum = 1900;  // the two seconds of /wait less the timer's slack

// Runs the program to its end, failing the test if it shows any window on the way.
DWORD RunWithoutWindow(const std::wstring& exe, const std::wstring& args) {
  ChildProcess program;
  const DWORD start = GetTickCount();
  EXPECT_TRUE(program.Start(exe, args));
  while (!program.Wait(50) && GetTickCount() - start < kRunTimeout)
    EXPECT_FALSE(HasWindow(program.Pid(), L"#32770")) << args.substr(0, 80);
  return program.ExitCode();
}

}  // namespace

TEST(Switches, OtherSwitchesEndAtOnceWaitOrWarnAndSfxcmdCanOnlyMakeTheRunSilent) {
  StagedInstallation install(L"C:\\Program Files\\Bramix Switches " + std::to_wstring(GetCurrentProcessId()));
  install.WriteFile(L"Bramix.exe", "exe");
  install.WriteList({L"Bramix.exe"});
  std::wstring many = L"/noexplorer \"/init" + std::wstring(20000, L'1') + L"\"";
  for (int i = 0; i < 1500; ++i) many += i % 3 ? L" -s" : L" \"an argument\" \"";
  for (const std::wstring& args : {std::wstring(L"/unknownswitch"), std::wstring(L"/wait"), many})
    EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), args)) << args.substr(0, 80);

  ChildProcess warning;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(warning.Start(install.Exe(), L"/wait /warning"));
  HWND box = WaitForWindow(warning.Pid(), L"#32770", kRunTimeout);
  EXPECT_GE(GetTickCount() - start, kWaitMinimum);
  EXPECT_EQ(L"Rimuovi Bramix", WindowText(box));
  EXPECT_EQ(L"Rimozione completa\nOccorre eliminare il file " + install.Exe() + L" manualmente",
            ControlText(box, 0xFFFF));
  PressButton(box, IDOK);
  EXPECT_TRUE(warning.Wait(kRunTimeout) && warning.ExitCode() == 0);

  ScopedEnvVar sfxcmd(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -setup -msi");
  ChildProcess asking;
  ASSERT_TRUE(asking.Start(install.Exe(), L""));
  HWND question = WaitForWindow(asking.Pid(), L"#32770", kRunTimeout);  // an uninstall run asks first
  EXPECT_NE(std::wstring::npos, ControlText(question, 0xFFFF).find(L"Avvio la rimozione di Bramix?"));
  PressButton(question, IDNO);
  EXPECT_TRUE(asking.Wait(kRunTimeout) && install.Exists(L"Bramix.exe") && install.Exists(L"Uninstall.lst"));
  SetEnvironmentVariableW(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -s -setup -msi");  // undone with sfxcmd
  EXPECT_EQ(0u, RunWithoutWindow(install.Exe(), L""));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kRunTimeout));
  EXPECT_FALSE(install.Exists(L"Bramix.exe"));
}
