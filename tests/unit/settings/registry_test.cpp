#include "settings/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"

class Registry : public RegistrySandbox {};

TEST_F(Registry, AnEmptyTreePathNeverRemovesTheRoot) {
  SetRegDword(HKEY_CLASSES_ROOT, L"Keep", L"v", 1);
  RemoveRegTree(HKEY_CLASSES_ROOT, L"");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Keep"));
}
