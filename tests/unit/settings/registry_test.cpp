#include "settings/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "settings/settings_store.h"
#include "settings/text_reader.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"

class Registry : public RegistrySandbox {};

TEST_F(Registry, AStringLargerThanTheBufferGivesTheDefaultCutToSize) {
  SetRegString(L"S", L"Twenty", L"12345678901234567890");
  wchar_t buffer[10];
  EXPECT_FALSE(GetRegString(L"S", L"Twenty", buffer, L"the default text", 10));
  EXPECT_STREQ(L"the defau", buffer);
}

TEST_F(Registry, AnEmptyTreePathNeverRemovesTheRoot) {
  SetRegDword(HKEY_CLASSES_ROOT, L"Keep", L"v", 1);
  RemoveRegTree(HKEY_CLASSES_ROOT, L"");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Keep"));
}

TEST_F(Registry, WithASettingsFileAReadIsServedFromTheFile) {
  const ScopedSettingsStore store;
  StringList lines;
  SplitTextLines(L"HKCU\\Setup\\Name=\"from file\"\n", lines);
  WritableSettingsStore().LoadLines(lines, L"");
  ASSERT_TRUE(PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"Name", L"reg"));
  wchar_t buffer[16];
  EXPECT_TRUE(GetRegString(L"Setup", L"Name", buffer, L"dflt", 16));
  EXPECT_STREQ(L"from file", buffer);
}
