// The key table, the archive formats and the program's string table agree with
// each other.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "integration/integration_options.h"
#include "localization/key_table.h"

namespace {

bool ProgramHasString(UINT id) {
  wchar_t text[16];
  return LoadStringW(GetModuleHandleW(nullptr), id, text, 16) > 0;
}

BOOL CALLBACK AddStringBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(blocks)->push_back(LOWORD(name));
  return TRUE;
}

// Every id of the program's string table (a block n holds the ids 16 (n - 1) to 16 n - 1).
std::vector<UINT> ProgramStringIds() {
  std::vector<UINT> blocks;
  EnumResourceNamesW(GetModuleHandleW(nullptr), RT_STRING, AddStringBlock, reinterpret_cast<LONG_PTR>(&blocks));
  std::vector<UINT> ids;
  for (UINT block : blocks) {
    for (UINT id = (block - 1) * 16; id < block * 16; ++id)
      if (ProgramHasString(id)) ids.push_back(id);
  }
  return ids;
}

}  // namespace

TEST(ResourceIds, EveryStringRowHasATextInTheProgramsStringTable) {
  for (const KeyRow& row : KeyTable()) {
    if (KeyPrefix(row.Name) != "s") continue;
    EXPECT_TRUE(ProgramHasString(row.Id)) << row.Name;
  }
}

TEST(ResourceIds, EveryStringOfTheProgramHasAStringRow) {
  const std::vector<UINT> ids = ProgramStringIds();
  ASSERT_FALSE(ids.empty());
  for (UINT id : ids) EXPECT_NE(nullptr, FindKeyRow("s", id)) << id;
}

TEST(ResourceIds, EveryArchiveFormatHasItsSettingsDialogRow) {
  for (const ArchiveFormat& format : ArchiveFormats) {
    const KeyRow* row = FindKeyRow("$SETUPDLG", format.ControlId);
    ASSERT_NE(nullptr, row) << format.KeyName;
    EXPECT_EQ(std::string("$SETUPDLG:") + format.KeyName, row->Name);
  }
}

TEST(ResourceIds, NoKeyNameTwiceAndNoIdTwiceWithinAPrefix) {
  std::set<std::string> names;
  std::set<std::pair<std::string, unsigned>> ids;
  for (const KeyRow& row : KeyTable()) {
    EXPECT_TRUE(names.insert(row.Name).second) << row.Name;
    if (row.Id == 0) continue;  // the size and caption rows of each dialog
    EXPECT_TRUE(ids.emplace(std::string(KeyPrefix(row.Name)), row.Id).second) << row.Name;
  }
}

TEST(ResourceIds, NoArchiveFormatControlIdOrKeyNameTwice) {
  std::set<unsigned> ids;
  std::set<std::string> names;
  for (const ArchiveFormat& format : ArchiveFormats) {
    EXPECT_TRUE(ids.insert(format.ControlId).second) << format.KeyName;
    EXPECT_TRUE(names.insert(format.KeyName).second) << format.KeyName;
  }
}
