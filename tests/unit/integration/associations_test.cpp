#include "integration/associations.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "environment/paths.h"
#include "integration/options_storage.h"
#include "support/registry_sandbox.h"
#include "support/registry_snapshot.h"
#include "support/registry_values.h"

namespace {

struct Value {
  std::wstring key;
  const wchar_t* name;
  std::variant<std::wstring, DWORD> data;
};

void Put(HKEY root, const Value& value) {
  if (const DWORD* number = std::get_if<DWORD>(&value.data))
    PutDword(root, value.key, value.name, *number);
  else
    PutText(root, value.key, value.name, std::get<std::wstring>(value.data));
}

IntegrationOptions AllFormats(bool on) {
  IntegrationOptions options;
  for (bool& format : options.Formats) format = on;
  options.ShellExt = on;
  return options;
}

class Associations : public RegistrySandbox {};

}  // namespace

TEST_F(Associations, TakingEveryFormatAndReleasingItGivesTheClassesRootBack) {
  const std::wstring longText(10000, L'x');
  struct Row {
    const char* name;
    const wchar_t* extension;
    std::vector<Value> before;  // the other programs' entries under HKEY_CLASSES_ROOT
    std::vector<Value> damage;  // written over the previous-association records after the take-over
    std::optional<std::vector<Value>> after;  // the classes root at the end, when not as before
  };
  const Row rows[] = {
      {"no extension key at all", L".zpk", {}, {}},
      {".7z named by another program", L".7z", {{L".7z", L"", L"Peer.7z"}}, {}},
      {".zip with a ShellNew NullFile", L".zip",
       {{L".zip", L"", L"Peer.zip"}, {L".zip\\ShellNew", L"NullFile", L""}}, {}},
      {".zpk with a ShellNew FileName", L".zpk",
       {{L".zpk", L"", L"Peer.zpk"}, {L".zpk\\ShellNew", L"FileName", L"C:\\peer\\new.zpk"}}, {}},
      {".arj whose default value is a number", L".arj", {{L".arj", L"", DWORD{0}}}, {}, {{{L".arj", L"", L""}}}},
      {".cab without a key, its record's Exist a text", L".cab", {},
       {{L"Software\\Bramix\\Setup\\.cab", L"Exist", L"none"}}, {{{L".cab", L"", L""}}}},
      {".gz, its record's Type a number", L".gz", {{L".gz", L"", L"Peer.gz"}},
       {{L"Software\\Bramix\\Setup\\.gz", L"Type", DWORD{0}}}, {{{L".gz", L"", L""}}}},
      {".lzh, its record's Type the product's ZIP ProgID", L".lzh", {{L".lzh", L"", L"Peer.lzh"}},
       {{L"Software\\Bramix\\Setup\\.lzh", L"Type", L"bramix.zip"}}, {{{L".lzh", L"", L""}}}},
      {".tar, its record's Type 10,000 characters", L".tar", {{L".tar", L"", L"Peer.tar"}},
       {{L"Software\\Bramix\\Setup\\.tar", L"Type", longText}}, {{{L".tar", L"", longText}}}},
      {".zip, its record's ShellNew 10,000 characters", L".zip", {{L".zip", L"", L"Peer.zip"}},
       {{L"Software\\Bramix\\Setup\\.zip", L"ShellNew", longText}},
       {{{L".zip", L"", L"Peer.zip"}, {L".zip\\ShellNew", L"FileName", longText}}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, nullptr);
    for (const Value& value : row.after.value_or(row.before)) Put(HKEY_CLASSES_ROOT, value);
    const auto expected = RegistryTree(HKEY_CLASSES_ROOT, L"");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix");
    for (const Value& value : row.before) Put(HKEY_CLASSES_ROOT, value);
    AssociateFormats(AllFormats(true));
    EXPECT_TRUE(IsOwnedByProduct(row.extension));
    for (const Value& value : row.damage) Put(HKEY_CURRENT_USER, value);
    AssociateFormats(AllFormats(false));
    EXPECT_EQ(expected, RegistryTree(HKEY_CLASSES_ROOT, L""));
  }
  DeleteFileW(GetModuleFolderFile(L"zpknew.dat").c_str());
  DeleteFileW(GetModuleFolderFile(L"zipnew.dat").c_str());
}

TEST_F(Associations, ReleasingAnExtensionOfAnotherProgramChangesNothing) {
  Put(HKEY_CLASSES_ROOT, {L".ace", L"", L"Peer.ace"});
  Put(HKEY_CURRENT_USER, {L"Software\\Bramix\\Setup\\.ace", L"Exist", DWORD{0}});
  const auto before = RegistryTree(HKEY_CLASSES_ROOT, L"");
  ReleaseExtension(L".ace");
  EXPECT_EQ(before, RegistryTree(HKEY_CLASSES_ROOT, L""));
}

TEST_F(Associations, RegisteringGivesEachProgIdTheOpenCommandAndAnIconOnlyWhereNoneIsSet) {
  const std::wstring program = GetModuleFolderFile(L"Bramix.exe");
  Put(HKEY_CLASSES_ROOT, {L"Bramix\\DefaultIcon", L"", L"C:\\themes\\zpk.ico"});
  Put(HKEY_CLASSES_ROOT, {L"Bramix.REV\\DefaultIcon", L"", L""});
  ASSERT_TRUE(RegisterProgIds());
  const std::pair<std::wstring, std::wstring> rows[] = {
      {L"Bramix", L"C:\\themes\\zpk.ico"},
      {L"Bramix.ZIP", program + L",0"},
      {L"Bramix.REV", program + L",1"},
  };
  for (const auto& [progId, icon] : rows) {
    SCOPED_TRACE(std::string(progId.begin(), progId.end()));
    EXPECT_EQ(L"\"" + program + L"\" \"%1\"", StoredText(HKEY_CLASSES_ROOT, progId + L"\\shell\\open\\command", L""));
    EXPECT_EQ(icon, StoredText(HKEY_CLASSES_ROOT, progId + L"\\DefaultIcon", L""));
  }
}
