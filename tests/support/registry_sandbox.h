#pragma once
// Redirects HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT of this
// process into scratch keys under HKCU\Software\UninstallTests\<test name>, so
// that each test starts with an empty registry and leaves nothing behind. Keys
// must be opened after SetUp: handles opened before it are not redirected.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

class RegistrySandbox : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The scratch key standing in for a predefined key, as a path under the real
  // HKEY_CURRENT_USER (for reading it from outside the redirection).
  std::wstring ScratchPath(HKEY predefined) const;

 private:
  std::wstring root_;
};
