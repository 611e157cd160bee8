#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <set>
#include <string>

#include "e2e/round_trip_leftovers.h"
#include "support/registry_snapshot.h"
#include "support/registry_values.h"
#include "support/scoped_registry_value.h"
#include "support/wine_program.h"

namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\BramixRoundTrip";
constexpr wchar_t kProgram[] = L"C:\\Program Files\\BramixRoundTrip\\Bramix.exe";
constexpr wchar_t kAppPathKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe";

// Extensions that other programs own before the product is installed.
struct ForeignOwner {
  const wchar_t* Extension;
  const wchar_t* ProgId;
  const wchar_t* ShellNewName;  // null: no New menu entry
  const wchar_t* ShellNewData;
};
const ForeignOwner kForeignOwners[] = {
    {L".7z", L"OtherArchiver.7z", nullptr, nullptr},
    {L".zip", L"OtherArchiver.zip", L"NullFile", L""},
    {L".iso", L"OtherDiscTool.iso", nullptr, nullptr},
    {L".jar", L"OtherJava.jar", nullptr, nullptr},
    {L".cab", L"OtherCabinet.cab", L"FileName", L"C:\\Other\\cabnew.dat"},
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class IntegrationRoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    for (const ForeignOwner& owner : kForeignOwners) {
      if (KeyExists(HKEY_CLASSES_ROOT, owner.Extension)) keptKeys_.insert(owner.Extension);
      PutText(HKEY_CLASSES_ROOT, owner.Extension, nullptr, owner.ProgId);
      PutText(HKEY_CLASSES_ROOT, owner.ProgId, nullptr, L"");
      const std::wstring shellNew = owner.Extension + std::wstring(L"\\ShellNew");
      if (owner.ShellNewName) PutText(HKEY_CLASSES_ROOT, shellNew, owner.ShellNewName, owner.ShellNewData);
    }
    for (const wchar_t* name : {L"Bramix.exe", L"Bramix.chm", L"zpkext.dll", L"zpkext32.dll"})
      install_.WriteFile(name, "x");
    install_.WriteList({L"Bramix.exe", L"Bramix.chm", L"zpkext.dll", L"zpkext32.dll", L"zpknew.dat", L"zipnew.dat",
                        L"integration_applier.exe", L"Uninstall.exe", L"Uninstall.lst"});
    CopyFileW((TestBinFolder() + L"\\integration_applier.exe").c_str(), install_.Path(L"integration_applier.exe").c_str(),
              FALSE);
    // Wine mirrors every saved shortcut into the desktop's menus unless its menu builder is off.
    menuBuilder_.SetText(L"");
  }
  void TearDown() override {
    for (const ForeignOwner& owner : kForeignOwners) {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, owner.ProgId);
      RegDeleteTreeW(HKEY_CLASSES_ROOT, (owner.Extension + std::wstring(L"\\ShellNew")).c_str());
      RegDeleteKeyValueW(HKEY_CLASSES_ROOT, owner.Extension, nullptr);
      // Wine's own .zip key stays, with its content type.
      if (!keptKeys_.count(owner.Extension)) RegDeleteKeyW(HKEY_CLASSES_ROOT, owner.Extension);
    }
  }

  const ScopedRegistryValue menuBuilder_{HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"winemenubuilder.exe"};
  StagedInstallation install_{kFolder};
  std::set<std::wstring> keptKeys_;
};

}  // namespace

TEST_F(IntegrationRoundTrip, UninstallAfterAnAllOnApplyGivesTheRegistryBackAsItWas) {
  const RegistryLines before = RegistrySnapshot();
  const std::wstring groups[] = {ShellFolder(CSIDL_PROGRAMS) + L"\\Bramix", ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Bramix"};

  ASSERT_EQ(0u, RunToTheEnd(install_.Path(L"integration_applier.exe"), L"", install_.Folder()));
  EXPECT_EQ(L"Bramix.ZIP", StoredText(HKEY_CLASSES_ROOT, L".zip", nullptr));
  EXPECT_EQ(std::wstring(kFolder) + L"\\zipnew.dat", StoredText(HKEY_CLASSES_ROOT, L".zip\\ShellNew", L"FileName"));
  EXPECT_EQ(L"Bramix", StoredText(HKEY_CLASSES_ROOT, L".cab", nullptr));
  EXPECT_EQ(kProgram, StoredText(HKEY_LOCAL_MACHINE, kAppPathKey, nullptr));
  EXPECT_EQ(kFolder, StoredText(HKEY_LOCAL_MACHINE, kAppPathKey, L"Path"));
  EXPECT_EQ(kProgram, StoredText(HKEY_LOCAL_MACHINE, L"Software\\Bramix", L"exe64"));
  for (const std::wstring& group : groups) EXPECT_TRUE(Exists(group + L"\\Bramix.lnk")) << group;

  RunToTheEnd(install_.Exe(), L"/s", install_.Folder());
  const RegistryLines after = RegistrySnapshot();
  // The other programs' extensions are back too: a changed value shows as a line lost and one left behind.
  for (const std::wstring& line : Minus(Minus(after, before), kEmptyKeysLeft))
    ADD_FAILURE() << "left behind: " << testing::PrintToString(line);
  for (const std::wstring& line : Minus(before, after)) ADD_FAILURE() << "lost: " << testing::PrintToString(line);
  for (const std::wstring& group : groups) EXPECT_FALSE(Exists(group)) << testing::PrintToString(group);
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Bramix.lnk"));
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_COMMON_STARTMENU) + L"\\Bramix.lnk"));
}
