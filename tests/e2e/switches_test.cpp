// The switches of the real Uninstall.exe that run no mode, and what the package's sfxcmd may ask for.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

namespace {

constexpr DWORD kRunTimeout = 60000;
constexpr DWORD kWaitMinimum = 1900;  // the two seconds of /wait less the timer's slack

// An installation of one program file listed in Uninstall.lst.
class Switches : public testing::Test {
 protected:
  void SetUp() override {
    stage_.WriteFile(L"Bramix.exe", "exe");
    stage_.WriteList({L"Bramix.exe"});
  }
  // Runs the program to its end, failing the test if it shows any window on the way;
  // the exit code.
  DWORD RunWithoutWindow(const std::wstring& args) {
    ChildProcess program;
    const DWORD start = GetTickCount();
    EXPECT_TRUE(program.Start(stage_.Exe(), args));
    while (!program.Wait(50) && GetTickCount() - start < kRunTimeout)
      EXPECT_FALSE(HasWindow(program.Pid(), L"#32770")) << "a window was shown";
    return program.ExitCode();
  }
  StagedInstallation stage_{L"C:\\Program Files\\Bramix Switches " + std::to_wstring(GetCurrentProcessId())};
};

// The manual-deletion box of a run with /warning (and any other switches), shown
// and then answered.
class WarningBox : public Switches {
 protected:
  void Run(const std::wstring& args) {
    ASSERT_TRUE(program_.Start(stage_.Exe(), args));
    box_ = WaitForWindow(program_.Pid(), L"#32770", kRunTimeout);
    ASSERT_NE(nullptr, box_) << "no box";
  }
  void TearDown() override {
    if (box_) PressButton(box_, IDOK);
    EXPECT_TRUE(program_.Wait(kRunTimeout));
    EXPECT_EQ(0u, program_.ExitCode());
  }
  ChildProcess program_;
  HWND box_ = nullptr;
};

}  // namespace

TEST_F(Switches, AnUnknownSwitchEndsAtOnceWithoutAWindow) { EXPECT_EQ(0u, RunWithoutWindow(L"/unknownswitch")); }

TEST_F(Switches, ThousandsOfArgumentsAndALongInitEndWithoutAWindow) {
  std::wstring many = L"/noexplorer \"/init" + std::wstring(20000, L'1') + L"\"";
  for (int i = 0; i < 1500; ++i) many += i % 3 ? L" -s" : L" \"an argument\" \"";
  EXPECT_EQ(0u, RunWithoutWindow(many));
}

TEST_F(WarningBox, AsksTheUserToDeleteTheProgramByHand) {
  Run(L"/warning");
  EXPECT_EQ(L"Rimuovi Bramix", WindowText(box_));
  EXPECT_EQ(L"Rimozione completa\nOccorre eliminare il file " + stage_.Exe() + L" manualmente",
            ControlText(box_, 0xFFFF));
}

TEST_F(WarningBox, ReadsLeftToRightWithoutALanguage) {
  Run(L"/warning");
  EXPECT_EQ(0, GetWindowLongW(box_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
}

TEST_F(WarningBox, ComesAfterTheWaitOfTwoSeconds) {
  const DWORD start = GetTickCount();
  Run(L"/wait /warning");
  EXPECT_GE(GetTickCount() - start, kWaitMinimum);
}

TEST_F(Switches, AnSfxcmdAskingForSetupStillAsksBeforeUninstalling) {
  ScopedEnvVar sfxcmd(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -setup -msi");
  ChildProcess asking;
  ASSERT_TRUE(asking.Start(stage_.Exe(), L""));
  HWND question = WaitForWindow(asking.Pid(), L"#32770", kRunTimeout);
  ASSERT_NE(nullptr, question) << "no question";
  EXPECT_NE(std::wstring::npos, ControlText(question, 0xFFFF).find(L"Avvio la rimozione di Bramix?"));
  PressButton(question, IDNO);
  EXPECT_TRUE(asking.Wait(kRunTimeout));
}

TEST_F(Switches, AnSfxcmdAskingForSilenceMakesTheRunSilent) {
  ScopedEnvVar sfxcmd(L"sfxcmd", L"\"C:\\Temp\\Bramix Setup.exe\" -s -setup -msi");
  EXPECT_EQ(0u, RunWithoutWindow(L""));
  EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kRunTimeout));
  EXPECT_FALSE(stage_.Exists(L"Bramix.exe"));
}
