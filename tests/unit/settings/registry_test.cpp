#include "settings/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "environment/unique_handle.h"
#include "settings/settings_store.h"
#include "settings/text_reader.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"

namespace {

// "type:bytes" of a value as the registry holds it, or "missing".
std::string Raw(HKEY root, const std::wstring& path, const wchar_t* name = L"v") {
  char data[64];
  DWORD type = 0;
  DWORD size = sizeof(data);
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) != ERROR_SUCCESS)
    return "missing";
  return std::to_string(type) + ":" + std::string(data, size);
}

// Puts "reg" straight into the registry under the product key's Setup.
void PutInRegistry(const wchar_t* name) {
  ASSERT_TRUE(PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", name, L"reg"));
}

class Registry : public RegistrySandbox {};

// A key path given to the registry layer and the key it names in the registry.
struct KeyPathRow {
  const char* name;
  HKEY root;
  const wchar_t* keyPath;
  const wchar_t* realPath;
};

}  // namespace

TEST_F(Registry, KeyPathsReachTheirRealKey) {
  const KeyPathRow rows[] = {
      {"empty path", HKEY_LOCAL_MACHINE, L"", L"Software\\Bramix"},
      {"relative path", HKEY_CURRENT_USER, L"Setup", L"Software\\Bramix\\Setup"},
      {"leading backslash", HKEY_LOCAL_MACHINE, L"\\Software\\Apps", L"Software\\Apps"},
      {"class root", HKEY_CLASSES_ROOT, L"Software\\Apps", L"Software\\Apps"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ERROR_SUCCESS, SetRegDword(row.root, row.keyPath, L"v", 0x01020304));
    EXPECT_EQ("4:\x04\x03\x02\x01", Raw(row.root, row.realPath));
  }
}

TEST_F(Registry, AStringThatFillsTheBufferIsRead) {
  SetRegString(L"S", L"Nine", L"123456789");
  wchar_t buffer[10];
  EXPECT_TRUE(GetRegString(L"S", L"Nine", buffer, L"default", 10));
  EXPECT_STREQ(L"123456789", buffer);
}

TEST_F(Registry, AStringLargerThanTheBufferGivesTheDefaultCutToSize) {
  SetRegString(L"S", L"Twenty", L"12345678901234567890");
  wchar_t buffer[10];
  EXPECT_FALSE(GetRegString(L"S", L"Twenty", buffer, L"the default text", 10));
  EXPECT_STREQ(L"the defau", buffer);
}


TEST_F(Registry, AKeyWithSubkeysIsNotRemovedAsAKey) {
  SetRegDword(L"K\\Child", L"v", 1);
  RemoveRegKey(HKEY_CURRENT_USER, L"K");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\K\\Child"));
}

TEST_F(Registry, AKeyWithoutSubkeysIsRemovedAsAKey) {
  SetRegDword(L"K", L"v", 1);
  RemoveRegKey(HKEY_CURRENT_USER, L"K");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\K"));
}


TEST_F(Registry, AnEmptyTreePathNeverRemovesTheRoot) {
  SetRegDword(HKEY_CLASSES_ROOT, L"Keep", L"v", 1);
  RemoveRegTree(HKEY_CLASSES_ROOT, L"");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Keep"));
}

class RegistryWithSettingsFile : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    StringList lines;
    SplitTextLines(L"Global\\Integration=0\nHKCU\\Setup\\Name=\"from file\"\n", lines);
    WritableSettingsStore().LoadLines(lines, L"");
  }
  const ScopedSettingsStore store_;
};

TEST_F(RegistryWithSettingsFile, AReadIsServedFromTheFile) {
  PutInRegistry(L"Name");
  wchar_t buffer[16];
  EXPECT_TRUE(GetRegString(L"Setup", L"Name", buffer, L"dflt", 16));
  EXPECT_STREQ(L"from file", buffer);
}

TEST_F(RegistryWithSettingsFile, AValueMissingFromTheFileReadsAsTheDefault) {
  PutInRegistry(L"Absent");
  wchar_t buffer[16];
  EXPECT_TRUE(GetRegString(L"Setup", L"Absent", buffer, L"dflt", 16));
  EXPECT_STREQ(L"dflt", buffer);
}

TEST_F(RegistryWithSettingsFile, WritesDoNotReachTheRegistry) {
  const KeyPathRow rows[] = {
      {"the product key", HKEY_CURRENT_USER, L"Setup", L"Software\\Bramix\\Setup"},
      {"a class key", HKEY_CLASSES_ROOT, L".zip", L".zip"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ERROR_SUCCESS, SetRegDword(row.root, row.keyPath, L"v", 3));
    EXPECT_FALSE(KeyExists(row.root, row.realPath));
  }
}
