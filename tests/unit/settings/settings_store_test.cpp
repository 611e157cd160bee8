#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/text_reader.h"
#include "support/file_bytes.h"

namespace {

// Loads settings-file text from memory.
void LoadText(SettingsStore& store, const std::wstring& text) {
  StringList lines;
  SplitTextLines(text, lines);
  store.LoadLines(lines, L"");
}

const std::wstring kSwitchesOn = L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n";

}  // namespace

TEST(SettingsStore, RemovingAKeyDropsItsSubkeysButNotNamesThatOnlyStartAlike) {
  SettingsStore store;
  LoadText(store, L"w=7\nwx\\y=1\nw\\x=2\nw\\x\\z=3");
  store.Remove(nullptr, L"w", L"");
  EXPECT_EQ(Utf16FileBytes(kSwitchesOn + L"w=7\r\nwx\\y=1\r\n"), store.FileBytes());
}
