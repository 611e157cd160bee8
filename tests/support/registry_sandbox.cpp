#include "support/registry_sandbox.h"

#include "environment/unique_handle.h"
#include "support/test_names.h"

namespace {

// The scratch key standing in for a predefined key, under the real HKEY_CURRENT_USER.
std::wstring ScratchPath(const std::wstring& root, HKEY predefined) {
  if (predefined == HKEY_CURRENT_USER) return root + L"\\HKCU";
  if (predefined == HKEY_LOCAL_MACHINE) return root + L"\\HKLM";
  return root + L"\\HKCR";
}

}  // namespace

ScopedRegistrySandbox::ScopedRegistrySandbox() : root_(L"Software\\UninstallTests\\" + CurrentTestName()) {
  RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
  for (HKEY predefined : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
    UniqueHkey scratch;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ScratchPath(root_, predefined).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, scratch.put(), nullptr) != ERROR_SUCCESS)
      return;
  }
  // The current user's key goes last: the other scratch keys live under it.
  for (HKEY predefined : {HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
    UniqueHkey scratch;
    RegOpenKeyExW(HKEY_CURRENT_USER, ScratchPath(root_, predefined).c_str(), 0, KEY_ALL_ACCESS, scratch.put());
    if (RegOverridePredefKey(predefined, scratch.get()) != ERROR_SUCCESS) return;
  }
  ok_ = true;
}

ScopedRegistrySandbox::~ScopedRegistrySandbox() {
  for (HKEY predefined : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT})
    RegOverridePredefKey(predefined, nullptr);
  RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
}

void RegistrySandbox::SetUp() {
  sandbox_ = std::make_unique<ScopedRegistrySandbox>();
  ASSERT_TRUE(sandbox_->Ok()) << "the registry could not be redirected";
}

void RegistrySandbox::TearDown() { sandbox_.reset(); }
