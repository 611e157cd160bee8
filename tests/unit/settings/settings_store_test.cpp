#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <random>
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

// Lines that a load turns into entries other than the Global switches: they begin
// with a letter and hold '='.
size_t EntryLines(const std::wstring& text) {
  StringList lines;
  SplitTextLines(text, lines);
  size_t count = 0;
  for (std::wstring line; lines.Next(line);) {
    if (IsAsciiLetter(line[0]) && line.find(L'=') != line.npos && !line.starts_with(L"Global\\")) ++count;
  }
  return count;
}

}  // namespace

TEST(SettingsStore, RemovingAKeyDropsItsSubkeysButNotNamesThatOnlyStartAlike) {
  SettingsStore store;
  LoadText(store, L"w=7\nwx\\y=1\nw\\x=2\nw\\x\\z=3");
  store.Remove(nullptr, L"w", L"");
  EXPECT_EQ(Utf16FileBytes(kSwitchesOn + L"w=7\r\nwx\\y=1\r\n"), store.FileBytes());
}

// Damaged and random files: whatever is read, the saved file reads back to itself,
// keeps every entry and holds each Global switch once as 0 or 1.
TEST(SettingsStore, DamagedFilesReadAndSaveConsistently) {
  const std::string text = "Global\\Integration=0\r\nHKCU\\A=\"x y\"\r\n[S]\r\n  In=1\r\nB=bin:0a\r\n"
                           "C = -12\r\nGlobal\\SaveSettings=\"0\r\nN\xC3\xA9=\xE4\xB8\xAD\r\n";
  const std::string seeds[] = {"", "\xEF\xBB\xBF" + text, Utf16FileBytes(std::wstring(text.begin(), text.end()))};
  const unsigned seed = 20240611;
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  auto pick = [&](size_t n) { return n ? random() % n : 0; };
  for (size_t round = 0; round < 3000; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    std::string bytes = seeds[round % 3];
    for (size_t step = 1 + pick(8); step > 0; --step) {
      const size_t at = pick(bytes.size() + 1);
      if (pick(2))
        bytes.insert(at, 1, pick(2) ? "\r\n=\"\xFF\xFE b\\-\t"[pick(11)] : static_cast<char>(random()));
      else
        bytes.erase(at, pick(16));
    }
    const std::wstring read = DecodeTextBytes({bytes.begin(), bytes.end()});
    SettingsStore store;
    SettingsStore again;
    LoadText(store, read);
    const std::string saved = store.FileBytes();
    const std::wstring written = L"\n" + DecodeTextBytes({saved.begin(), saved.end()});
    LoadText(again, written);
    ASSERT_EQ(EntryLines(read), EntryLines(written)) << "entries lost or made up";
    ASSERT_EQ(saved, again.FileBytes()) << "a saved file reads back to itself";
    for (std::wstring name : {L"\nGlobal\\AppData=", L"\nGlobal\\Integration=", L"\nGlobal\\SaveSettings="}) {
      const size_t at = written.find(name);
      ASSERT_NE(written.npos, at) << "no " << testing::PrintToString(name);
      const bool zeroOrOne = at == written.find(name + L"0\r") || at == written.find(name + L"1\r");
      ASSERT_TRUE(zeroOrOne) << testing::PrintToString(name);
    }
  }
}
