#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "integration_stage.h"
#include "support/file_bytes.h"
#include "support/unix_link.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixBadInput";
const std::vector<std::wstring> kProductFiles = {L"Bramix.exe", L"Bramix.chm", L"zpkext.dll", L"zpkext32.dll"};
const std::wstring kLongText(10000, L'c');

// A registry value as a test writes it: a string, or a number when Type is REG_DWORD.
struct RawValue {
  DWORD Type;
  std::wstring Text;
  DWORD Number;
};

void WriteRaw(HKEY root, const std::wstring& key, const wchar_t* name, const RawValue& value) {
  if (value.Type == REG_DWORD)
    RegSetKeyValueW(root, key.c_str(), name, REG_DWORD, &value.Number, sizeof(value.Number));
  else
    RegSetKeyValueW(root, key.c_str(), name, value.Type, value.Text.c_str(),
                    static_cast<DWORD>((value.Text.size() + 1) * sizeof(wchar_t)));
}

RawValue Text(const std::wstring& text) { return {REG_SZ, text, 0}; }
RawValue Absent() { return {REG_NONE, L"", 0}; }
// A number whose bytes, read as a string, give the text "AB".
RawValue NumberReadAsAB() { return {REG_DWORD, L"", 0x00420041}; }

// An extension's default value as another program left it, the value of its
// previous-association record that is damaged after the product took it over,
// and what the uninstall run must leave in the checked value. A string read of a
// number gives the number's bytes as characters; a number read of a string longer
// than four bytes gives the default, and one of 1 to 4 bytes gives those bytes as
// the number. The product writes strings only, so a number that it gives back
// comes back as the text of its bytes: knowingly inexact, but the extension is no
// longer the product's.
struct BadValueRow {
  const char* Input;
  const wchar_t* Extension;
  RawValue Foreign;              // REG_NONE: no key before the product
  const wchar_t* Damaged;        // the value of Setup\<extension>; null: none
  RawValue Data;
  const wchar_t* CheckedKey;
  const wchar_t* CheckedName;    // null: the key's default value
  std::wstring Expected;
};

const BadValueRow kBadValueRows[] = {
    {"Type a number", L".7z", Text(L"OtherArchiver.7z"), L"Type", NumberReadAsAB(), L".7z", nullptr, L"AB"},
    {"Type of 10,000 characters", L".cab", Text(L"OtherCabinet.cab"), L"Type", Text(kLongText), L".cab", nullptr,
     kLongText},
    {"Exist the string 1, key new before", L".arj", Absent(), L"Exist", Text(L"1"), L".arj", nullptr, L""},
    {"Exist of 10,000 characters, key new before", L".lzh", Absent(), L"Exist", Text(kLongText), L".lzh", nullptr, L""},
    {"ShellNew a number", L".zip", Text(L"OtherArchiver.zip"), L"ShellNew", NumberReadAsAB(), L".zip\\ShellNew",
     L"FileName", L"AB"},
    {"ShellNew of 10,000 characters", L".zpk", Text(L"OtherZpk.zpk"), L"ShellNew", Text(kLongText), L".zpk\\ShellNew",
     L"FileName", kLongText},
    {"extension default a number", L".tar", NumberReadAsAB(), nullptr, Absent(), L".tar", nullptr, L"AB"},
    {"nothing damaged", L".iso", Text(L"OtherDiscTool.iso"), nullptr, Absent(), L".iso", nullptr, L"OtherDiscTool.iso"},
};

// The extension keys that a test made, deleted again with what the runs left in them.
class ScopedExtensionKeys {
 public:
  explicit ScopedExtensionKeys(std::vector<std::wstring> keys) {
    for (std::wstring& key : keys)
      if (!RegistryKeyExists(HKEY_CLASSES_ROOT, key)) made_.push_back(std::move(key));
  }
  ~ScopedExtensionKeys() {
    for (const std::wstring& key : made_) RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  }
  ScopedExtensionKeys(const ScopedExtensionKeys&) = delete;
  ScopedExtensionKeys& operator=(const ScopedExtensionKeys&) = delete;

 private:
  std::vector<std::wstring> made_;
};

class IntegrationBadInput : public testing::Test {
 protected:
  void TearDown() override { stage_.Uninstall(); }

  ScopedExtensionKeys keys_{{L".7z", L".cab", L".arj", L".lzh", L".zip", L".zpk", L".iso", L".tar"}};
  IntegrationStage stage_{kFolder, kProductFiles};
};

}  // namespace

TEST_F(IntegrationBadInput, BadValuesInRecordsAndExtensionKeysGiveTheDefaultsBack) {
  for (const BadValueRow& row : kBadValueRows)
    if (row.Foreign.Type != REG_NONE) WriteRaw(HKEY_CLASSES_ROOT, row.Extension, nullptr, row.Foreign);
  ASSERT_EQ(0u, stage_.Apply());
  for (const BadValueRow& row : kBadValueRows)
    if (row.Damaged)
      WriteRaw(HKEY_CURRENT_USER, std::wstring(L"Software\\Bramix\\Setup\\") + row.Extension, row.Damaged, row.Data);

  EXPECT_EQ(0u, stage_.Uninstall());
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"Bramix"));
  for (const BadValueRow& row : kBadValueRows) {
    SCOPED_TRACE(row.Input);
    EXPECT_EQ(row.Expected, ReadRegistry(HKEY_CLASSES_ROOT, row.CheckedKey, row.CheckedName));
  }
}

TEST_F(IntegrationBadInput, MenuItemsThatAreStringsAreReadAsTheirBytes) {
  struct MenuItem {
    const wchar_t* Name;
    const wchar_t* Text;
    const wchar_t* ShellNewKey;
    const wchar_t* Expected;
  };
  // "off" is longer than a number: the default, on. The empty string is two zero
  // bytes: the number 0, off.
  const MenuItem items[] = {
      {L"NewZPK", L"off", L".zpk\\ShellNew", L"C:\\Program Files\\BramixBadInput\\zpknew.dat"},
      {L"NewZIP", L"", L".zip\\ShellNew", L"<missing>"},
  };
  for (const MenuItem& item : items)
    WriteRaw(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup\\MenuItems", item.Name, Text(item.Text));
  ASSERT_EQ(0u, stage_.Apply());
  for (const MenuItem& item : items) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(item.Name) + L"=\"" + item.Text + L"\""));
    EXPECT_EQ(item.Expected, ReadRegistry(HKEY_CLASSES_ROOT, item.ShellNewKey, L"FileName"));
  }
}

// Wine cannot make a junction; a unix link to a folder stands in for one, shown
// to the program as a folder with the reparse-point attribute.
TEST_F(IntegrationBadInput, ProgramGroupThatIsAJunctionKeepsWhatIsBehindIt) {
  struct Group {
    const char* Name;
    int Csidl;
    std::wstring Target;
  };
  const Group groups[] = {
      {"per-user group", CSIDL_PROGRAMS, L"C:\\BramixJunctionTarget\\User"},
      {"all-users group", CSIDL_COMMON_PROGRAMS, L"C:\\BramixJunctionTarget\\Common"},
  };
  std::vector<std::unique_ptr<ScopedUnixLink>> links;
  for (const Group& group : groups) {
    const std::wstring link = ShellFolderPath(group.Csidl) + L"\\Bramix";
    DeleteTree(link);
    ASSERT_TRUE(WriteFileBytes(group.Target + L"\\keep.txt", "kept"));
    links.push_back(std::make_unique<ScopedUnixLink>(group.Target, link));
    ASSERT_TRUE(links.back()->Made()) << group.Name;
  }

  // The group is rebuilt on apply and deleted on uninstall: neither goes through the link.
  EXPECT_EQ(0u, stage_.Apply());
  EXPECT_EQ(0u, stage_.Uninstall());
  for (const Group& group : groups) EXPECT_TRUE(PathFound(group.Target + L"\\keep.txt")) << group.Name;
  links.clear();
  DeleteTree(L"C:\\BramixJunctionTarget");
}

namespace {

// Characters outside ASCII that the ANSI code page holds, and a '%' pair that
// would name a variable if anything expanded it.
constexpr wchar_t kOddFolder[] = L"C:\\Program Files\\Bramix é%PATH%ü";

class IntegrationOddFolder : public testing::Test {
 protected:
  void TearDown() override { stage_.Uninstall(); }

  IntegrationStage stage_{kOddFolder, kProductFiles};
};

}  // namespace

TEST_F(IntegrationOddFolder, FolderNameWithAccentsAndPercentIsWrittenAsItStands) {
  struct Named {
    HKEY Root;
    const wchar_t* Key;
    const wchar_t* Name;
    const wchar_t* Data;
  };
  const Named entries[] = {
      {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe", nullptr,
       L"<folder>\\Bramix.exe"},
      {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe", L"Path", L"<folder>"},
      {HKEY_CLASSES_ROOT, L"Bramix\\shell\\open\\command", nullptr, L"\"<folder>\\Bramix.exe\" \"%1\""},
      {HKEY_CLASSES_ROOT, L".zpk\\ShellNew", L"FileName", L"<folder>\\zpknew.dat"},
      {HKEY_CLASSES_ROOT, L"CLSID\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", nullptr,
       L"<folder>\\zpkext.dll"},
      {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver",
       L"QuietUninstallString", L"\"<folder>\\Uninstall.exe\" /s"},
  };
  ASSERT_EQ(0u, stage_.Apply());
  for (const Named& entry : entries) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(entry.Key) + L"|" + (entry.Name ? entry.Name : L"")));
    EXPECT_EQ(WithFolder(entry.Data, kOddFolder), ReadRegistry(entry.Root, entry.Key, entry.Name));
  }
  LinkProperties link;
  ASSERT_TRUE(ReadShortcut(ShellFolderPath(CSIDL_COMMON_PROGRAMS) + L"\\Bramix\\Bramix.lnk", link));
  EXPECT_EQ(WithFolder(L"<folder>\\Bramix.exe", kOddFolder), link.Target);
}

TEST_F(IntegrationOddFolder, FolderNameWithAccentsAndPercentIsRemovedWhole) {
  ASSERT_EQ(0u, stage_.Apply());
  EXPECT_EQ(0u, stage_.Uninstall());
  EXPECT_FALSE(PathFound(kOddFolder));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L".zpk"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE,
                                 L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver"));
  EXPECT_FALSE(PathFound(ShellFolderPath(CSIDL_COMMON_PROGRAMS) + L"\\Bramix"));
}
