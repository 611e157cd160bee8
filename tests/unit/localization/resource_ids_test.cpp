// The key table, the archive formats and the program's string table agree with
// each other.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <utility>

#include "integration/integration_options.h"
#include "localization/key_table.h"

namespace {

bool ProgramHasString(UINT id) {
  wchar_t text[16];
  return LoadStringW(GetModuleHandleW(nullptr), id, text, 16) > 0;
}

}  // namespace

TEST(ResourceIds, EveryStringRowHasATextInTheProgramsStringTable) {
  for (const KeyRow& row : KeyTable()) {
    if (KeyPrefix(row.Name) != "s") continue;
    EXPECT_TRUE(ProgramHasString(row.Id)) << row.Name;
  }
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
