#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/registry.h"
#include "settings/settings_store.h"
#include "settings/text_reader.h"
#include "support/registry_sandbox.h"
#include "support/scoped_state.h"

namespace {
// "type:bytes" of a value as the registry holds it, or "missing".
std::string Raw(HKEY root, const std::wstring& path, const wchar_t* name = L"v") {
  char data[64];
  DWORD type = 0, size = sizeof(data);
  bool ok = !RegGetValueW(root, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size);
  return ok ? std::to_string(type) + ":" + std::string(data, size) : "missing";
}
using Registry = RegistrySandbox;
}  // namespace

TEST_F(Registry, KeyPathsValuesReadsAndViews) {
  EXPECT_EQ(0, SetRegString(L"Setup", L"Empty", L""));
  EXPECT_EQ(std::string("1:\0\0", 4), Raw(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"Empty"));
  EXPECT_EQ(0, SetRegDword(HKEY_LOCAL_MACHINE, L"", L"v", 0x01020304));
  EXPECT_EQ("4:\x04\x03\x02\x01", Raw(HKEY_LOCAL_MACHINE, L"Software\\Bramix"));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
    SetRegDword(root, root == HKEY_CLASSES_ROOT ? L"Software\\Apps" : L"\\Software\\Apps", L"v", 1);
    EXPECT_EQ(std::string("4:\1\0\0\0", 6), Raw(root, L"Software\\Apps"));
  }
  EXPECT_EQ(ERROR_BAD_PATHNAME, SetRegDword(HKEY_CLASSES_ROOT, L"\\Lead", L"v", 1));
  for (auto [name, text] : {std::pair{L"Nine", L"123456789"}, {L"Twenty", L"12345678901234567890"}, {L"One", L"1"},
                            {L"Two", L"12"}})
    SetRegString(L"S", name, text);
  wchar_t buffer[10];
  EXPECT_TRUE(GetRegString(L"S", L"Nine", buffer, L"default", 10) && !wcscmp(L"123456789", buffer));
  EXPECT_TRUE(!GetRegString(L"S", L"Twenty", buffer, L"the default text", 10) && !wcscmp(L"the defau", buffer));
  EXPECT_EQ(49u, GetRegDword(L"S", L"One", 5));
  EXPECT_EQ(5u, GetRegDword(L"S", L"Two", 5));
  // The 32-bit view exists only in the real HKEY_LOCAL_MACHINE\Software.
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  const wchar_t* key = L"\\Software\\UninstallTests.View";
  const std::wstring view32 = L"Software\\Wow6432Node\\UninstallTests.View";
  SetRegString(HKEY_LOCAL_MACHINE, key, L"v", L"6");
  {
    RegView32Scope view;
    SetRegString(HKEY_LOCAL_MACHINE, key, L"v", L"3");
    EXPECT_EQ(std::string("1:3\0\0\0", 6), Raw(HKEY_LOCAL_MACHINE, view32));
    RemoveRegValue(HKEY_LOCAL_MACHINE, key, L"v");
    EXPECT_EQ("missing", Raw(HKEY_LOCAL_MACHINE, key + 1));
    EXPECT_NE("missing", Raw(HKEY_LOCAL_MACHINE, view32));
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, key + 1), RegDeleteTreeW(HKEY_LOCAL_MACHINE, view32.c_str());
}

TEST_F(Registry, KeysGoOnlyWithoutSubkeysTreesGoWholeAndAFileIsAskedFirst) {
  SetRegDword(L"K\\Child", L"v", 1);
  RemoveRegKey(HKEY_CURRENT_USER, L"K");
  SetRegDword(L"T", L"v", 1);
  for (int i = 0; i < 300; ++i)
    SetRegDword((L"T\\S" + std::to_wstring(i) + (i < 5 ? L"\\C\\G" : L"")).c_str(), L"v", 1);
  SetRegDword(HKEY_CLASSES_ROOT, L"Keep", L"v", 1);
  RemoveRegTree(HKEY_CURRENT_USER, L"Missing");
  RemoveRegTree(HKEY_CLASSES_ROOT, L"");
  EXPECT_NE("missing", Raw(HKEY_CLASSES_ROOT, L"Keep"));
  RemoveRegTree(HKEY_CURRENT_USER, L"T");
  EXPECT_EQ("missing", Raw(HKEY_CURRENT_USER, L"Software\\Bramix\\T"));
  EXPECT_NE("missing", Raw(HKEY_CURRENT_USER, L"Software\\Bramix\\K\\Child"));

  const ScopedSettingsStore store;
  StringList lines;
  SplitTextLines(L"Global\\Integration=0\nHKCU\\Setup\\Name=\"from file\"\n", lines);
  WritableSettingsStore().LoadLines(lines, L"");
  wchar_t buffer[16];
  EXPECT_TRUE(GetRegString(L"Setup", L"Name", buffer, L"dflt", 16) && !wcscmp(L"from file", buffer));
  EXPECT_TRUE(GetRegString(L"Setup", L"Absent", buffer, L"dflt", 16) && !wcscmp(L"dflt", buffer));
  EXPECT_EQ(0, SetRegDword(L"Setup", L"v", 3) | SetRegDword(HKEY_CLASSES_ROOT, L".zip", L"v", 1) |
                   SetRegDword(HKEY_LOCAL_MACHINE, L"\\Software\\X", L"v", 1));
  EXPECT_EQ("missing" "missing" "missing", Raw(HKEY_CLASSES_ROOT, L".zip") + Raw(HKEY_LOCAL_MACHINE, L"Software\\X") +
                                               Raw(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup"));
}
