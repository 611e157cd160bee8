#pragma once
// A staged installation where setup runs through the real Uninstall.exe, and the
// steps that drive its dialogs: start, find the next dialog, confirm, wait.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

constexpr DWORD kSetupTimeout = 60000;
constexpr wchar_t kDialogClass[] = L"#32770";

// A text value as it stands, a number in decimals; "<missing>" when there is none.
inline std::wstring ReadValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t text[1024] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof(text);
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, text, &size) != ERROR_SUCCESS)
    return L"<missing>";
  DWORD number = 0;
  memcpy(&number, text, sizeof(number));
  return type == REG_DWORD ? std::to_wstring(number) : std::wstring(text);
}

// Each test starts with nothing stored from earlier runs; a run that applied
// something is undone by the uninstaller.
class SetupRun : public testing::Test {
 protected:
  explicit SetupRun(const std::wstring& folder) : install_(folder) {}
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix");
    for (const wchar_t* name : {L"Bramix.exe", L"zpkext.dll", L"zpkext32.dll"}) install_.WriteFile(name, "x");
    install_.WriteList({L"Bramix.exe", L"zpkext.dll", L"zpkext32.dll", L"zpknew.dat", L"zipnew.dat", L"Uninstall.exe",
                        L"Uninstall.lst"});
    // Wine mirrors every saved shortcut into the desktop's menus unless its menu builder is off.
    menuBuilder_.SetText(L"");
  }
  void TearDown() override {
    program_.Kill();
    if (ReadValue(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"ShellExt") == L"<missing>") return;
    ChildProcess uninstall;
    ASSERT_TRUE(uninstall.Start(install_.Exe(), L"/s", install_.Folder()));
    EXPECT_TRUE(uninstall.Wait(kSetupTimeout));
    EXPECT_TRUE(WaitForProcessesToEnd(L"cmd.exe", kSetupTimeout));
  }

  // Starts setup with the switches and returns its settings dialog.
  HWND OpenSetup(const std::wstring& args) {
    EXPECT_TRUE(program_.Start(install_.Exe(), args, install_.Folder()));
    HWND dialog = WaitForWindow(program_.Pid(), kDialogClass, kSetupTimeout);
    EXPECT_NE(nullptr, dialog) << "no settings dialog";
    return dialog;
  }
  // The first dialog or message box of the program other than `shown`; null when
  // the program ends or the time passes first.
  HWND NextDialog(HWND shown, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!program_.Wait(50) && GetTickCount() - start < milliseconds) {
      HWND next = WaitForWindow(program_.Pid(), kDialogClass, 0);
      if (next != nullptr && next != shown) return next;
    }
    return nullptr;
  }
  // Confirms the settings dialog; the dialog that follows it, if any.
  HWND ConfirmSetup(HWND setup) {
    PressButton(setup, IDOK);
    return NextDialog(setup, kSetupTimeout);
  }
  DWORD WaitForEnd() {
    EXPECT_TRUE(program_.Wait(kSetupTimeout));
    return program_.ExitCode();
  }

  const ScopedRegistryValue menuBuilder_{HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"winemenubuilder.exe"};
  StagedInstallation install_;
  ChildProcess program_;
};
