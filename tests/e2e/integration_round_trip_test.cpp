// An apply and then Uninstall.exe /s: what other programs owned comes back, damaged
// records give defaults back, links are not followed, odd folder names are kept.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "e2e/round_trip_leftovers.h"
#include "e2e/staged_product.h"
#include "support/unix_link.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixRoundTrip";
constexpr wchar_t kUninstallEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver";
const std::vector<std::wstring> kProductFiles = {L"Bramix.exe", L"Bramix.chm", L"zpkext.dll", L"zpkext32.dll"};
const wchar_t* const kExtensions[] = {L".7z", L".cab", L".arj", L".lzh", L".zip", L".zpk", L".iso", L".tar", L".jar"};
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

// The extension keys as other programs leave them, and the product's installation.
// What the test wrote is deleted again afterwards; Wine's own extension keys stay.
class IntegrationRoundTrip : public testing::Test {
 protected:
  IntegrationRoundTrip() {
    for (const wchar_t* extension : kExtensions)
      if (KeyExists(HKEY_CLASSES_ROOT, extension)) ownKeys_.insert(extension);
  }
  void TearDown() override {
    if (stage_.Exists(L"Uninstall.exe")) stage_.Uninstall();
    for (const wchar_t* extension : kExtensions) {
      const std::wstring progId = StoredText(HKEY_CLASSES_ROOT, extension, nullptr);
      if (progId.starts_with(L"Other")) RegDeleteTreeW(HKEY_CLASSES_ROOT, progId.c_str());
      RegDeleteTreeW(HKEY_CLASSES_ROOT, (extension + std::wstring(L"\\ShellNew")).c_str());
      RegDeleteKeyValueW(HKEY_CLASSES_ROOT, extension, nullptr);
      if (!ownKeys_.count(extension)) RegDeleteKeyW(HKEY_CLASSES_ROOT, extension);
    }
  }
  // Gives the extension to another program's ProgID ("Other...").
  static void SetOwner(const wchar_t* extension, const wchar_t* progId) {
    PutText(HKEY_CLASSES_ROOT, extension, nullptr, progId);
    PutText(HKEY_CLASSES_ROOT, progId, nullptr, L"");
  }

  std::set<std::wstring> ownKeys_;
  ProductStage stage_{kFolder, kProductFiles};
};

}  // namespace

TEST_F(IntegrationRoundTrip, UninstallAfterAnAllOnApplyGivesTheRegistryBackAsItWas) {
  for (const wchar_t* extension : {L".7z", L".zip", L".iso", L".jar", L".cab"})
    SetOwner(extension, (L"Other" + std::wstring(extension)).c_str());
  PutText(HKEY_CLASSES_ROOT, L".zip\\ShellNew", L"NullFile", L"");
  PutText(HKEY_CLASSES_ROOT, L".cab\\ShellNew", L"FileName", L"C:\\Other\\cabnew.dat");
  const RegistryLines before = RegistrySnapshot();

  ASSERT_EQ(0u, stage_.Apply());
  EXPECT_EQ(L"Bramix.ZIP", StoredText(HKEY_CLASSES_ROOT, L".zip", nullptr)) << "not taken over";
  EXPECT_EQ(L"Bramix", StoredText(HKEY_CLASSES_ROOT, L".cab", nullptr)) << "not taken over";
  EXPECT_EQ(0u, stage_.Uninstall());
  RegistryLines after = RegistrySnapshot();
  for (const std::wstring& key : kEmptyKeysLeft)
    if (!before.count(key)) after.erase(key);
  // A changed value shows as a line lost and one gained.
  ExpectSameLines(before, after);
}

TEST_F(IntegrationRoundTrip, UninstallLeavesNoShortcut) {
  const std::set<std::wstring> before = ShortcutFiles();
  ASSERT_EQ(0u, stage_.Apply());
  ASSERT_NE(before, ShortcutFiles()) << "no shortcut made";
  EXPECT_EQ(0u, stage_.Uninstall());
  ExpectSameLines(before, ShortcutFiles());
}

// An extension's default value as another program left it, the value of its
// previous-association record that is damaged after the product took it over, and
// what the uninstall run must leave in the checked value. A string read of a number
// gives the number's bytes as characters; a number read of a string longer than four
// bytes gives the default, and one of 1 to 4 bytes gives those bytes as the number.
// The product writes strings only, so a number that it gives back comes back as the
// text of its bytes: knowingly inexact, but the extension is no longer the product's.
TEST_F(IntegrationRoundTrip, BadValuesInRecordsAndExtensionKeysGiveTheDefaultsBack) {
  struct Row {
    const char* Input;
    const wchar_t* Extension;
    RawValue Foreign;        // REG_NONE: no key before the product
    const wchar_t* Damaged;  // the value of Setup\<extension>; null: none
    RawValue Data;
    const wchar_t* CheckedKey;
    const wchar_t* CheckedName;  // null: the key's default value
    std::wstring Expected;
  };
  const Row rows[] = {
      {"Type a number", L".7z", Text(L"Other.7z"), L"Type", NumberReadAsAB(), L".7z", nullptr, L"AB"},
      {"Type of 10,000 characters", L".cab", Text(L"Other.cab"), L"Type", Text(kLongText), L".cab", nullptr, kLongText},
      {"Exist the string 1, key new before", L".arj", Absent(), L"Exist", Text(L"1"), L".arj", nullptr, L""},
      {"Exist of 10,000 characters, key new before", L".lzh", Absent(), L"Exist", Text(kLongText), L".lzh", nullptr,
       L""},
      {"ShellNew a number", L".zip", Text(L"Other.zip"), L"ShellNew", NumberReadAsAB(), L".zip\\ShellNew", L"FileName",
       L"AB"},
      {"extension default a number", L".tar", NumberReadAsAB(), nullptr, Absent(), L".tar", nullptr, L"AB"},
      {"nothing damaged", L".iso", Text(L"Other.iso"), nullptr, Absent(), L".iso", nullptr, L"Other.iso"},
  };
  for (const Row& row : rows)
    if (row.Foreign.Type != REG_NONE) WriteRaw(HKEY_CLASSES_ROOT, row.Extension, nullptr, row.Foreign);
  ASSERT_EQ(0u, stage_.Apply());
  for (const Row& row : rows)
    if (row.Damaged)
      WriteRaw(HKEY_CURRENT_USER, std::wstring(L"Software\\Bramix\\Setup\\") + row.Extension, row.Damaged, row.Data);

  EXPECT_EQ(0u, stage_.Uninstall());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Input);
    EXPECT_EQ(row.Expected, StoredText(HKEY_CLASSES_ROOT, row.CheckedKey, row.CheckedName));
  }
}

// Wine cannot make a junction; a unix link to a folder stands in for one. The group
// is rebuilt on apply and deleted on uninstall: neither may go through the link.
TEST_F(IntegrationRoundTrip, ProgramGroupThatIsAJunctionKeepsWhatIsBehindIt) {
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
    const std::wstring link = ShellFolder(group.Csidl) + L"\\Bramix";
    DeleteTree(link);
    ASSERT_TRUE(WriteFileBytes(group.Target + L"\\keep.txt", "kept"));
    links.push_back(std::make_unique<ScopedUnixLink>(group.Target, link));
    ASSERT_TRUE(links.back()->Made()) << group.Name;
  }
  EXPECT_EQ(0u, stage_.Apply());
  EXPECT_EQ(0u, stage_.Uninstall());
  for (const Group& group : groups) EXPECT_EQ("kept", ReadFileBytes(group.Target + L"\\keep.txt")) << group.Name;
  links.clear();
  DeleteTree(L"C:\\BramixJunctionTarget");
}

// Characters outside ASCII that the ANSI code page holds, and a '%' pair that would
// name a variable if anything expanded it.
class OddFolderRoundTrip : public testing::Test {
 protected:
  void TearDown() override {
    if (stage_.Exists(L"Uninstall.exe")) stage_.Uninstall();
  }
  const std::wstring folder_ = L"C:\\Program Files\\Bramix \u00e9%PATH%\u00fc";
  ProductStage stage_{folder_, kProductFiles};
};

TEST_F(OddFolderRoundTrip, FolderNameWithAccentsAndPercentIsWrittenAsItStands) {
  ASSERT_EQ(0u, stage_.Apply());
  EXPECT_EQ(L"\"" + folder_ + L"\\Bramix.exe\" \"%1\"",
            StoredText(HKEY_CLASSES_ROOT, L"Bramix\\shell\\open\\command", nullptr));
  EXPECT_EQ(L"\"" + folder_ + L"\\Uninstall.exe\" /s",
            StoredText(HKEY_LOCAL_MACHINE, kUninstallEntry, L"QuietUninstallString"));
  EXPECT_EQ(folder_ + L"\\zpkext.dll",
            StoredText(HKEY_CLASSES_ROOT, L"CLSID\\{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}\\InProcServer32", nullptr));
}
