#include "integration/new_menu.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "environment/paths.h"
#include "integration/associations.h"
#include "integration/options_storage.h"
#include "support/file_bytes.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"

namespace {

class NewMenu : public RegistrySandbox {};

}  // namespace

TEST_F(NewMenu, TheTemplateFileIsWrittenOnlyWhenMissingOrOfAnotherSize) {
  const std::string zpkImage("Zpk!\x1A\x07\x01\x00"
                             "\xC1\xDF\x5F\x56\x03\x01\x04\x00"
                             "\x1D\x77\x56\x51\x03\x05\x04\x00",
                             24);
  const std::string zipImage = std::string("PK\x05\x06") + std::string(18, '\0');
  struct Row {
    const char* name;
    bool isOwn;
    std::optional<std::string> existing;
    std::string expected;
  };
  const Row rows[] = {
      {"zpknew.dat missing", true, std::nullopt, zpkImage},
      {"zipnew.dat missing", false, std::nullopt, zipImage},
      {"zpknew.dat of 24 other bytes", true, std::string(24, 'a'), std::string(24, 'a')},
      {"zpknew.dat of 25 bytes", true, zpkImage + "a", zpkImage},
      {"zipnew.dat of 21 bytes", false, zipImage.substr(1), zipImage},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::wstring path = GetModuleFolderFile(row.isOwn ? L"zpknew.dat" : L"zipnew.dat");
    DeleteFileW(path.c_str());
    if (row.existing) WriteFileBytes(path, *row.existing);
    InstallNewMenuTemplate(row.isOwn ? L".zpk" : L".zip", row.isOwn);
    EXPECT_EQ(row.expected, ReadFileBytes(path));
    DeleteFileW(path.c_str());
  }
}

TEST_F(NewMenu, TheNewMenuEntryFollowsTheShellExtensionAndTheUsersChoiceWhileTheProductKeepsTheExtension) {
  struct Row {
    const char* name;
    const wchar_t* extension;
    bool shellExt;
    const wchar_t* switchedOff;  // the choice under Setup\MenuItems set to 0
    bool expectTemplate;
  };
  const Row rows[] = {
      {".zip, nothing switched off", L".zip", true, nullptr, true},
      {".zip, NewZIP off", L".zip", true, L"NewZIP", false},
      {".zip, NewZPK off", L".zip", true, L"NewZPK", true},
      {".zpk, NewZPK off", L".zpk", true, L"NewZPK", false},
      {".zpk, shell extension off", L".zpk", false, nullptr, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const bool isOwn = row.extension == std::wstring(L".zpk");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix");
    AssociateExtension(row.extension, true, true, isOwn, !isOwn);
    if (row.switchedOff) PutDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup\\MenuItems", row.switchedOff, 0);
    AssociateExtension(row.extension, true, row.shellExt, isOwn, !isOwn);
    const std::wstring templateFile = GetModuleFolderFile(isOwn ? L"zpknew.dat" : L"zipnew.dat");
    const std::wstring shellNew = row.extension + std::wstring(L"\\ShellNew");
    EXPECT_EQ(row.expectTemplate ? templateFile : L"<missing>", StoredText(HKEY_CLASSES_ROOT, shellNew, L"FileName"));
    EXPECT_TRUE(IsOwnedByProduct(row.extension));
  }
  DeleteFileW(GetModuleFolderFile(L"zpknew.dat").c_str());
  DeleteFileW(GetModuleFolderFile(L"zipnew.dat").c_str());
}
