#include <gtest/gtest.h>

#include "support/registry_sandbox.h"

class Smoke : public RegistrySandbox {};
TEST_F(Smoke, RegistryIsRedirected) {
  HKEY key;
  ASSERT_EQ(0, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegCloseKey(key);
}
