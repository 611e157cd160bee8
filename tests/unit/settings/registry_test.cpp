// The registry layer against the real (sandboxed) registry of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "environment/unique_handle.h"
#include "settings/registry.h"
#include "settings/settings_store.h"
#include "support/registry_sandbox.h"
#include "unit/settings/settings_test_files.h"

namespace {

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
  UniqueHkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// The raw value: its type and bytes, or type REG_NONE and "<missing>".
std::pair<DWORD, std::string> RawValue(HKEY root, const std::wstring& path, const wchar_t* name,
                                       REGSAM view = 0) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS)
    return {REG_NONE, "<missing>"};
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return {REG_NONE, "<missing>"};
  std::string data(size, '\0');
  RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  return {type, data};
}

void PutRaw(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const std::string& data) {
  UniqueHkey key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())));
}

void MakeKey(HKEY root, const std::wstring& path) {
  PutRaw(root, path, L"v", REG_DWORD, std::string(4, '\1'));
}

std::string Bytes(const std::wstring& text) { return Utf16File(text).substr(2); }

}  // namespace

class RegistryTest : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    ProcessSettingsStore().Clear();
  }
  void TearDown() override {
    ProcessSettingsStore().Clear();
    RegistrySandbox::TearDown();
  }
};

TEST_F(RegistryTest, KeyPathsMapOntoTheProductKey) {
  EXPECT_EQ(L"Software\\Bramix\\Setup", MakeRegKeyPath(HKEY_CURRENT_USER, L"Setup"));
  EXPECT_EQ(L"Software\\Bramix", MakeRegKeyPath(HKEY_LOCAL_MACHINE, L""));
  EXPECT_EQ(L"Software\\RegisteredApplications",
            MakeRegKeyPath(HKEY_LOCAL_MACHINE, L"\\Software\\RegisteredApplications"));
  EXPECT_EQ(L"\\CLSID", MakeRegKeyPath(HKEY_CLASSES_ROOT, L"\\CLSID"));
  wchar_t fixed[kRegKeyPathMax];
  MakeRegKeyPathFixed(HKEY_CURRENT_USER, L"Setup\\Links", fixed);
  EXPECT_STREQ(L"Software\\Bramix\\Setup\\Links", fixed);
  MakeRegKeyPathFixed(HKEY_CURRENT_USER, L"", fixed);
  EXPECT_STREQ(L"Software\\Bramix", fixed);
  MakeRegKeyPathFixed(HKEY_CURRENT_USER, std::wstring(600, L'x').c_str(), fixed);
  EXPECT_EQ(511u, wcslen(fixed));

  EXPECT_EQ(0, SetRegString(L"Setup", L"Empty", L""));
  EXPECT_EQ((std::pair<DWORD, std::string>{REG_SZ, std::string(2, '\0')}),
            RawValue(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"Empty"));
  EXPECT_EQ(0, SetRegDword(HKEY_LOCAL_MACHINE, L"\\Software\\RegisteredApplications", L"N", 0x01020304));
  EXPECT_EQ((std::pair<DWORD, std::string>{REG_DWORD, "\x04\x03\x02\x01"}),
            RawValue(HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications", L"N"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Bramix"));
  EXPECT_EQ(0, SetRegString(HKEY_CLASSES_ROOT, L".zpk", L"", L"Bramix.zpk"));
  EXPECT_EQ(REG_SZ, RawValue(HKEY_CLASSES_ROOT, L".zpk", L"").first);
  EXPECT_TRUE(ClassKeyExists(L".zpk"));
  EXPECT_FALSE(ClassKeyExists(L".none"));
}

TEST_F(RegistryTest, StringReadsFitTheBuffer) {
  SetRegString(L"S", L"Nine", L"123456789");
  SetRegString(L"S", L"Twenty", L"12345678901234567890");
  PutRaw(HKEY_CURRENT_USER, L"Software\\Bramix\\S", L"Unterminated", REG_BINARY, Bytes(L"abc") + "d");
  wchar_t buffer[10];
  EXPECT_TRUE(GetRegString(L"S", L"Nine", buffer, L"default", 10));
  EXPECT_STREQ(L"123456789", buffer);
  EXPECT_FALSE(GetRegString(L"S", L"Twenty", buffer, L"the default text", 10));
  EXPECT_STREQ(L"the defau", buffer);
  EXPECT_TRUE(GetRegString(L"S", L"Unterminated", buffer, L"", 10));
  EXPECT_STREQ(L"abc", buffer);
  EXPECT_FALSE(GetRegString(L"Missing", L"Nine", buffer, L"dflt", 10));
  EXPECT_STREQ(L"dflt", buffer);
  EXPECT_EQ(20u, GetRegValueBytes(HKEY_CURRENT_USER, L"S", L"Nine"));
  EXPECT_EQ(21u, GetRegValueChars(HKEY_CURRENT_USER, L"S", L"Twenty"));

  std::wstring text;
  const std::wstring longText(40000, L'L');
  SetRegString(L"S", L"Long", longText.c_str());
  EXPECT_TRUE(GetRegText(L"S", L"Long", text, L"d"));
  EXPECT_EQ(longText, text);
  EXPECT_FALSE(GetRegText(L"S", L"Absent", text, L"a default longer than nothing"));
  EXPECT_EQ(L"a default longer than nothing", text);
}

TEST_F(RegistryTest, NumberReadsTakeOneToFourBytes) {
  const std::wstring key = L"Software\\Bramix\\N";
  SetRegDword(L"N", L"Dword", 7);
  SetRegString(L"N", L"One", L"1");
  SetRegString(L"N", L"Longer", L"12");
  PutRaw(HKEY_CURRENT_USER, key, L"Two", REG_BINARY, "\x34\x12");
  PutRaw(HKEY_CURRENT_USER, key, L"Empty", REG_BINARY, "");
  EXPECT_EQ(7u, GetRegDword(L"N", L"Dword", 5));
  EXPECT_EQ(49u, GetRegDword(L"N", L"One", 5));
  EXPECT_EQ(5u, GetRegDword(L"N", L"Longer", 5));
  EXPECT_EQ(0x1234u, GetRegDword(L"N", L"Two", 5));
  EXPECT_EQ(5u, GetRegDword(L"N", L"Empty", 5));
  EXPECT_EQ(5u, GetRegDword(L"N", L"Missing", 5));
  EXPECT_EQ(5u, GetRegDword(L"Nowhere", L"Dword", 5));
}

TEST_F(RegistryTest, DeletesValuesKeysAndTrees) {
  SetRegDword(L"K\\Child", L"A", 1);
  SetRegDword(L"K", L"A", 1);
  RemoveRegValue(L"K", L"A");
  EXPECT_EQ(REG_NONE, RawValue(HKEY_CURRENT_USER, L"Software\\Bramix\\K", L"A").first);
  RemoveRegKey(HKEY_CURRENT_USER, L"K");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\K"));
  RemoveRegKey(HKEY_CURRENT_USER, L"K\\Child");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\K\\Child"));

  // Five subkeys with children of their own, and 300 siblings below one of them.
  const std::wstring tree = L"Software\\Bramix\\Tree";
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j)
      MakeKey(HKEY_CURRENT_USER, tree + L"\\S" + std::to_wstring(i) + L"\\C" + std::to_wstring(j) + L"\\G");
  for (int i = 0; i < 300; ++i) MakeKey(HKEY_CURRENT_USER, tree + L"\\S0\\Many" + std::to_wstring(i));
  MakeKey(HKEY_CURRENT_USER, L"Software\\Bramix\\TreeSibling");
  RemoveRegTree(HKEY_CURRENT_USER, L"Tree");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, tree));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix\\TreeSibling"));

  RemoveRegTree(HKEY_CURRENT_USER, L"NotThere");
  MakeKey(HKEY_CLASSES_ROOT, L"Keep");
  RemoveRegTree(HKEY_CLASSES_ROOT, L"");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Keep"));
  RemoveRegTree(HKEY_CLASSES_ROOT, L"Keep");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Keep"));

  // The empty key path is the whole product key; its neighbours stay.
  MakeKey(HKEY_CURRENT_USER, L"Software\\Other");
  RemoveRegTree(HKEY_CURRENT_USER, L"");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Other"));
}

TEST_F(RegistryTest, TreeDeletionStaysInsideItsPathLimits) {
  // A subkey name of 200 characters stops the listing: that key and its parents stay.
  const std::wstring longName = L"Long\\" + std::wstring(200, L'n');
  MakeKey(HKEY_CLASSES_ROOT, longName);
  RemoveRegTree(HKEY_CLASSES_ROOT, L"Long");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, longName));

  // A path of exactly 510 characters with a child: the child's path would be cut
  // to the parent's path and a backslash.
  const std::wstring deep =
      L"D\\" + std::wstring(199, L'a') + L"\\" + std::wstring(199, L'b') + L"\\" + std::wstring(108, L'c');
  ASSERT_EQ(510u, deep.size());
  MakeKey(HKEY_CLASSES_ROOT, deep + L"\\x");
  RemoveRegTree(HKEY_CLASSES_ROOT, L"D");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, deep + L"\\x"));

  // A key path too long to be formatted is not cut to name some other key.
  MakeKey(HKEY_CLASSES_ROOT, std::wstring(255, L'p') + L"\\" + std::wstring(255, L'q'));
  RemoveRegTree(HKEY_CLASSES_ROOT,
                (std::wstring(255, L'p') + L"\\" + std::wstring(255, L'q') + L"\\zz").c_str());
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(255, L'p') + L"\\" + std::wstring(255, L'q')));
}

TEST_F(RegistryTest, ASettingsFileServesTheProductKey) {
  SettingsFolder folder;
  const std::wstring path = folder.Path(L"Bramix.ini");
  WriteBytes(path, "HKCU\\Setup\\Name=\"from file\"\r\n");
  ASSERT_TRUE(ProcessSettingsStore().LoadFile(path));

  wchar_t buffer[32];
  EXPECT_TRUE(GetRegString(L"Setup", L"Name", buffer, L"d", 32));
  EXPECT_STREQ(L"from file", buffer);
  EXPECT_TRUE(GetRegString(L"Setup", L"Absent", buffer, L"d", 32));
  EXPECT_STREQ(L"d", buffer);
  EXPECT_EQ(0, SetRegDword(L"Setup", L"N", 3));
  EXPECT_EQ(3u, GetRegDword(L"Setup", L"N", 0));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Bramix"));
  std::wstring text;
  EXPECT_TRUE(GetRegText(L"Setup", L"Name", text, L""));
  EXPECT_EQ(L"from file", text);

  // Absolute paths and the classes root still reach the registry.
  SetRegString(HKEY_CURRENT_USER, L"\\Software\\Elsewhere", L"V", L"x");
  SetRegString(HKEY_CLASSES_ROOT, L".zpk", L"", L"x");
  EXPECT_EQ(REG_SZ, RawValue(HKEY_CURRENT_USER, L"Software\\Elsewhere", L"V").first);
  EXPECT_TRUE(ClassKeyExists(L".zpk"));

  RemoveRegTree(HKEY_CURRENT_USER, L"");
  EXPECT_TRUE(GetRegString(L"Setup", L"Name", buffer, L"gone", 32));
  EXPECT_STREQ(L"gone", buffer);
  ProcessSettingsStore().Clear();
}

TEST_F(RegistryTest, IntegrationOffKeepsTheRegistryUntouched) {
  MakeKey(HKEY_CLASSES_ROOT, L".zpk");
  SetRegString(HKEY_CURRENT_USER, L"\\Software\\Elsewhere", L"V", L"before");
  SettingsFolder folder;
  const std::wstring path = folder.Path(L"Bramix.ini");
  WriteBytes(path, "Global\\Integration=0\r\n");
  ASSERT_TRUE(ProcessSettingsStore().LoadFile(path));
  EXPECT_FALSE(IntegrationAllowed());

  EXPECT_EQ(0, SetRegString(HKEY_CLASSES_ROOT, L".zip", L"", L"x"));
  EXPECT_EQ(0, SetRegDword(HKEY_LOCAL_MACHINE, L"\\Software\\X", L"N", 1));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".zip"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\X"));
  EXPECT_FALSE(ClassKeyExists(L".zpk"));
  wchar_t buffer[16];
  EXPECT_TRUE(GetRegString(HKEY_CURRENT_USER, L"\\Software\\Elsewhere", L"V", buffer, L"dflt", 16));
  EXPECT_STREQ(L"dflt", buffer);
  EXPECT_EQ(0u, GetRegValueChars(HKEY_CURRENT_USER, L"\\Software\\Elsewhere", L"V"));
  RemoveRegTree(HKEY_CLASSES_ROOT, L".zpk");
  RemoveRegValue(HKEY_CURRENT_USER, L"\\Software\\Elsewhere", L"V");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L".zpk"));
  EXPECT_EQ(Bytes(L"before") + std::string(2, '\0'),
            RawValue(HKEY_CURRENT_USER, L"Software\\Elsewhere", L"V").second);

  SetRegDword(L"Setup", L"ShellExt", 0);
  EXPECT_EQ(Utf16File(L"Global\\AppData=1\r\nGlobal\\Integration=0\r\nGlobal\\SaveSettings=1\r\n"
                      L"HKCU\\Setup\\ShellExt=0\r\n"),
            ProcessSettingsStore().FileBytes());
  ProcessSettingsStore().Clear();
}

// The 32-bit view is a redirection of the real HKEY_LOCAL_MACHINE\Software, which
// a redirected predefined key does not have: these tests use a scratch key there.
class RegistryViewTest : public RegistryTest {
 protected:
  static constexpr const wchar_t* kScratch = L"Software\\UninstallTests.RegistryView";
  void SetUp() override {
    RegistryTest::SetUp();
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    Clean();
  }
  void TearDown() override {
    SetRegView32(false);
    Clean();
    RegistryTest::TearDown();
  }
  void Clean() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kScratch);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\UninstallTests.RegistryView");
  }
};

TEST_F(RegistryViewTest, TheViewFlagReachesTheOperationsThatHonourIt) {
  const std::wstring key = std::wstring(L"\\") + kScratch;
  const std::wstring view32 = L"Software\\Wow6432Node\\UninstallTests.RegistryView";
  SetRegString(HKEY_LOCAL_MACHINE, key.c_str(), L"V", L"64");
  SetRegView32(true);
  SetRegString(HKEY_LOCAL_MACHINE, key.c_str(), L"V", L"32");
  SetRegDword(HKEY_LOCAL_MACHINE, (key + L"\\Sub").c_str(), L"N", 32);
  EXPECT_EQ(Bytes(L"32") + std::string(2, '\0'), RawValue(HKEY_LOCAL_MACHINE, view32, L"V").second);
  EXPECT_EQ(Bytes(L"64") + std::string(2, '\0'), RawValue(HKEY_LOCAL_MACHINE, kScratch, L"V").second);
  EXPECT_EQ(REG_DWORD, RawValue(HKEY_LOCAL_MACHINE, view32 + L"\\Sub", L"N").first);
  wchar_t buffer[8];
  EXPECT_TRUE(GetRegString(HKEY_LOCAL_MACHINE, key.c_str(), L"V", buffer, L"", 8));
  EXPECT_STREQ(L"32", buffer);

  // Value deletion uses the default view; key deletion follows the flag.
  RemoveRegValue(HKEY_LOCAL_MACHINE, key.c_str(), L"V");
  EXPECT_EQ(REG_NONE, RawValue(HKEY_LOCAL_MACHINE, kScratch, L"V").first);
  EXPECT_EQ(REG_SZ, RawValue(HKEY_LOCAL_MACHINE, view32, L"V").first);
  RemoveRegKey(HKEY_LOCAL_MACHINE, (key + L"\\Sub").c_str());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, view32 + L"\\Sub"));
  MakeKey(HKEY_LOCAL_MACHINE, std::wstring(kScratch) + L"\\Sub");
  RemoveRegTree(HKEY_LOCAL_MACHINE, key.c_str());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kScratch));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, view32));

  SetRegView32(false);
  EXPECT_FALSE(GetRegString(HKEY_LOCAL_MACHINE, key.c_str(), L"V", buffer, L"none", 8));
  EXPECT_STREQ(L"none", buffer);
}
