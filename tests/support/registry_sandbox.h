#pragma once
// Redirects HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT of this
// process into scratch keys under HKCU\Software\UninstallTests\<test name>, so
// that each test starts with an empty registry and leaves nothing behind. Keys
// must be opened after the redirection: handles opened before it are not redirected.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

// A test holds one as a member: the redirection starts when it is made and ends,
// with its scratch keys deleted, when it goes away. Ok() is false when the
// redirection could not be made (the test should stop then).
class ScopedRegistrySandbox {
 public:
  ScopedRegistrySandbox();
  ~ScopedRegistrySandbox();
  ScopedRegistrySandbox(const ScopedRegistrySandbox&) = delete;
  ScopedRegistrySandbox& operator=(const ScopedRegistrySandbox&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::wstring root_;
  bool ok_ = false;
};

// The fixture for tests that need only the sandboxed registry.
class RegistrySandbox : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  std::unique_ptr<ScopedRegistrySandbox> sandbox_;
};
