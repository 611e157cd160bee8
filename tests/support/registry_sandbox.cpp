#include "support/registry_sandbox.h"

#include "environment/unique_handle.h"

namespace {

const wchar_t* ScratchName(HKEY predefined) {
  if (predefined == HKEY_CURRENT_USER) return L"HKCU";
  if (predefined == HKEY_LOCAL_MACHINE) return L"HKLM";
  return L"HKCR";
}

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

}  // namespace

void RegistrySandbox::SetUp() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  root_ = L"Software\\UninstallTests\\" + Widen(info->test_suite_name()) + L"." + Widen(info->name());
  RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
  for (HKEY predefined : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
    UniqueHkey scratch;
    std::wstring path = ScratchPath(predefined);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, scratch.put(), nullptr));
  }
  // The current user's key goes last: the other scratch keys live under it.
  for (HKEY predefined : {HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
    UniqueHkey scratch;
    RegOpenKeyExW(HKEY_CURRENT_USER, ScratchPath(predefined).c_str(), 0, KEY_ALL_ACCESS, scratch.put());
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(predefined, scratch.get()));
  }
}

void RegistrySandbox::TearDown() {
  for (HKEY predefined : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT})
    RegOverridePredefKey(predefined, nullptr);
  RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
}

std::wstring RegistrySandbox::ScratchPath(HKEY predefined) const {
  return root_ + L"\\" + ScratchName(predefined);
}
