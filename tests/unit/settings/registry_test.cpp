#include "settings/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/settings_store.h"
#include "settings/text_reader.h"
#include "support/registry_sandbox.h"
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

bool KeyExists(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void SetRawValue(const wchar_t* path, const wchar_t* name, DWORD type, const std::string& bytes) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, path, name, type, bytes.data(),
                                           static_cast<DWORD>(bytes.size())));
}

class Registry : public RegistrySandbox {};

}  // namespace

TEST_F(Registry, AnEmptyStringIsWrittenWithItsTerminator) {
  EXPECT_EQ(ERROR_SUCCESS, SetRegString(L"Setup", L"Empty", L""));
  EXPECT_EQ(std::string("1:\0\0", 4), Raw(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"Empty"));
}

TEST_F(Registry, ADwordIsWrittenLittleEndianToTheProductKey) {
  EXPECT_EQ(ERROR_SUCCESS, SetRegDword(HKEY_LOCAL_MACHINE, L"", L"v", 0x01020304));
  EXPECT_EQ("4:\x04\x03\x02\x01", Raw(HKEY_LOCAL_MACHINE, L"Software\\Bramix"));
}

TEST_F(Registry, ALeadingBackslashMakesThePathStartAtTheRoot) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    SCOPED_TRACE(root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(ERROR_SUCCESS, SetRegDword(root, L"\\Software\\Apps", L"v", 1));
    EXPECT_EQ(std::string("4:\1\0\0\0", 6), Raw(root, L"Software\\Apps"));
  }
}

TEST_F(Registry, ClassesRootPathsAreUsedUnchanged) {
  EXPECT_EQ(ERROR_SUCCESS, SetRegDword(HKEY_CLASSES_ROOT, L"Software\\Apps", L"v", 1));
  EXPECT_EQ(std::string("4:\1\0\0\0", 6), Raw(HKEY_CLASSES_ROOT, L"Software\\Apps"));
}

TEST_F(Registry, ALeadingBackslashUnderClassesRootIsRefused) {
  EXPECT_EQ(ERROR_BAD_PATHNAME, SetRegDword(HKEY_CLASSES_ROOT, L"\\Lead", L"v", 1));
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

TEST_F(Registry, ADwordOfFewerThanFourBytesFillsOnlyTheLowBytes) {
  SetRawValue(L"Software\\Bramix\\S", L"Short", REG_BINARY, "\x07");
  EXPECT_EQ(7u, GetRegDword(L"S", L"Short", 5));
}

TEST_F(Registry, ADwordOfMoreThanFourBytesGivesTheDefault) {
  SetRawValue(L"Software\\Bramix\\S", L"Long", REG_BINARY, "12345");
  EXPECT_EQ(5u, GetRegDword(L"S", L"Long", 5));
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

TEST_F(Registry, ATreeIsRemovedWholeWithManyNestedSubkeys) {
  SetRegDword(L"T", L"v", 1);
  for (int i = 0; i < 300; ++i) SetRegDword((L"T\\S" + std::to_wstring(i) + (i < 5 ? L"\\C\\G" : L"")).c_str(), L"v", 1);
  RemoveRegTree(HKEY_CURRENT_USER, L"T");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\T"));
}

TEST_F(Registry, AnEmptyTreePathNeverRemovesTheRoot) {
  SetRegDword(HKEY_CLASSES_ROOT, L"Keep", L"v", 1);
  RemoveRegTree(HKEY_CLASSES_ROOT, L"");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Keep"));
}

// A loaded settings file serves the product key's requests; with its Integration
// switch off, nothing reaches the registry.
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
  SetRawValue(L"Software\\Bramix\\Setup", L"Name", REG_SZ, std::string("r\0e\0g\0\0\0", 8));
  wchar_t buffer[16];
  EXPECT_TRUE(GetRegString(L"Setup", L"Name", buffer, L"dflt", 16));
  EXPECT_STREQ(L"from file", buffer);
}

TEST_F(RegistryWithSettingsFile, AValueMissingFromTheFileReadsAsTheDefault) {
  SetRawValue(L"Software\\Bramix\\Setup", L"Absent", REG_SZ, std::string("r\0e\0g\0\0\0", 8));
  wchar_t buffer[16];
  EXPECT_TRUE(GetRegString(L"Setup", L"Absent", buffer, L"dflt", 16));
  EXPECT_STREQ(L"dflt", buffer);
}

TEST_F(RegistryWithSettingsFile, WritesDoNotReachTheRegistry) {
  const struct {
    const char* name;
    HKEY root;
    const wchar_t* keyPath;
    const wchar_t* realPath;
  } rows[] = {
      {"the product key", HKEY_CURRENT_USER, L"Setup", L"Software\\Bramix\\Setup"},
      {"a class key", HKEY_CLASSES_ROOT, L".zip", L".zip"},
      {"a path from the root", HKEY_LOCAL_MACHINE, L"\\Software\\X", L"Software\\X"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ERROR_SUCCESS, SetRegDword(row.root, row.keyPath, L"v", 3));
    EXPECT_EQ("missing", Raw(row.root, row.realPath));
  }
}
