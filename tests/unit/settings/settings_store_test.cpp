#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/settings_store.h"
#include "settings/text_reader.h"

namespace {
std::string Utf16(const std::wstring& text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
// Loads the text; its entries other than Global switches (lines beginning with a letter and holding "=").
size_t Load(SettingsStore& store, const std::wstring& text) {
  StringList lines, again;
  SplitTextLines(text, lines), SplitTextLines(text, again);
  store.LoadLines(lines, L"");
  size_t count = 0;
  for (std::wstring line; again.Next(line);)
    count += IsAsciiLetter(line[0]) && line.find(L'=') != line.npos && !line.starts_with(L"Global\\");
  return count;
}
}  // namespace

TEST(SettingsStore, LinesAreReadChangedAndWrittenBack) {
  SettingsStore store;
  Load(store, L"; q=1\n[q=1]\n  q=1\nq\nQ=1\nt=\"a b\"\nh=\"a b\ne=\"\nb=bin:12ab\nl=bin:ab\nc=BIN:12\ns = 5\n"
              L"s= 5\nm=-1\nd=9x\nd=2\nw=7\nwx\\y=1\nw\\x=2\nGlobal\\Integration=7\nGlobal\\AppData=\"0\"");
  const struct { const wchar_t *name, *text; DWORD number; } rows[] = {
      {L"q", L"?", 99}, {L"t", L"a b", 0}, {L"h", L"a b", 0}, {L"e", L"", 0}, {L"b", L"12ab", 12}, {L"l", L"ab", 0},
      {L"c", L"BIN:12", 0}, {L"s", L" 5", 0}, {L"d", L"9x", 9}, {L"m", L"-1", ~0u}};
  for (const auto& read : rows) {
    wchar_t text[16];
    DWORD number = 0;
    EXPECT_TRUE(store.GetString(nullptr, L"", read.name, text, L"?", 16) &&
                store.GetDword(nullptr, L"", read.name, 99, number) && text == std::wstring(read.text) &&
                number == read.number) << read.name;
  }
  store.Remove(nullptr, L"", L"d");
  store.Remove(nullptr, L"w", L"");
  store.SetDword(nullptr, L"", L"max", 0xFFFFFFFFu);
  store.SetString(nullptr, L"", L"b", L"new");
  EXPECT_EQ(Utf16(L"Global\\AppData=0\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\nQ=1\r\nb=\"new\"\r\n"
                  L"c=BIN:12\r\ne=\"\"\r\nh=\"a b\"\r\nl=bin:ab\r\nm=-1\r\nmax=4294967295\r\ns= 5\r\ns = 5\r\n"
                  L"t=\"a b\"\r\nw=7\r\nwx\\y=1\r\n"), store.FileBytes());
}

TEST(SettingsStore, DamagedFilesReadAndSaveConsistently) {
  const std::string text = "Global\\Integration=0\r\nHKCU\\A=\"x y\"\r\n[S]\r\n; c\r\n  In=1\r\nB=bin:0a\r\n"
                           "C = -12\r\nGlobal\\SaveSettings=\"0\r\nN\xC3\xA9=\xE4\xB8\xAD\r\n";
  const std::string seeds[] = {text, "\xEF\xBB\xBF" + text, Utf16(std::wstring(text.begin(), text.end()))};
  std::string big;
  while (big.size() < (3u << 20)) big += "HKCU\\Key" + std::to_string(big.size()) + "=\"value\"\r\n";
  const std::string extremes[] = {
      "", "\xFF\xFE", "\xEF\xBB\xBF", "\xFF", big, "\xEF\xBB\xBFHKCU\\A=\xC3\x28\xF8\x88\r\nB=1",
      "A=" + std::string(100000, 'v') + "\r\n" + std::string(100000, 'N') + "=1", Utf16(L"A=\xD800\r\n") + "x"};
  std::mt19937 random(20240611);
  auto pick = [&](size_t n) { return n ? random() % n : 0; };
  for (size_t round = 0; round < 3000; ++round) {
    std::string bytes = round < std::size(extremes) ? extremes[round] : seeds[round % 3];
    for (size_t step = round < std::size(extremes) ? 0 : 1 + pick(8); step > 0; --step) {
      const size_t at = pick(bytes.size() + 1), kind = pick(4);
      if (kind == 0) bytes.insert(at, 1, pick(2) ? "\r\n=\"\xFF\xFE b\\-\t"[pick(11)] : static_cast<char>(random()));
      if (kind == 1) bytes.erase(at, pick(16));
      if (kind == 2) bytes.resize(at);
      if (kind == 3) bytes.insert(at, bytes.substr(pick(bytes.size() + 1), pick(64)));
    }
    if (round % 10 == 9)
      for (bytes.resize(pick(3000)); char& c : bytes) c = static_cast<char>(random());
    SCOPED_TRACE(round);
    const std::wstring read = DecodeTextBytes({bytes.begin(), bytes.end()});
    SettingsStore store, again;
    const size_t entries = Load(store, read);
    const std::string saved = store.FileBytes();
    const std::wstring written = L"\n" + DecodeTextBytes({saved.begin(), saved.end()});
    ASSERT_EQ(entries, Load(again, written));
    ASSERT_EQ(saved, again.FileBytes()) << "a saved file reads back to itself";
    for (std::wstring name : {L"\nGlobal\\AppData=", L"\nGlobal\\Integration=", L"\nGlobal\\SaveSettings="}) {
      const size_t at = written.find(name);
      ASSERT_TRUE(at != written.npos && (at == written.find(name + L"0\r") || at == written.find(name + L"1\r")));
    }
  }
}
