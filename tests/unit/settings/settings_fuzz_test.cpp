// Random and damaged settings files: loading never fails, the store keeps exactly
// the lines that are entries, and a saved file loads back to the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "settings/text_reader.h"
#include "unit/settings/settings_test_files.h"

namespace {

const wchar_t* const kGlobalNames[] = {L"Global\\AppData", L"Global\\Integration", L"Global\\SaveSettings"};

std::string Utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();
  return bytes;
}

std::string Utf16BigEndian(const std::wstring& text) {
  std::string bytes = "\xFE\xFF";
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit >> 8));
    bytes.push_back(static_cast<char>(unit & 0xFF));
  }
  return bytes;
}

std::vector<std::string> SeedFiles() {
  const std::wstring text =
      L"Global\\Integration=0\r\nHKCU\\Setup\\A=\"x y\"\r\n[Section]\r\n; comment\r\n  Indented=1\r\n"
      L"HKCU\\Setup\\B=bin:0a0b\r\nHKLM\\Setup\\C = "
      L"-12\r\nGlobal\\SaveSettings=\"0\r\nN\x00e9=\x4e2d\x6587\r\n";
  return {"Global\\AppData=5\nHKCU\\X=1\n\n\nHKCU\\Y=\"\"\n", "\xEF\xBB\xBF" + Utf8(text), Utf16File(text),
          Utf16BigEndian(text)};
}

// Entries a file should give: its lines that begin with a letter and hold "=".
size_t ExpectedEntryCount(const std::string& bytes) {
  StringList lines;
  SplitTextLines(DecodeTextBytes(std::vector<uint8_t>(bytes.begin(), bytes.end())), lines);
  size_t count = 0;
  bool globals[3] = {};
  std::wstring line;
  while (lines.Next(line)) {
    if (!IsAsciiLetter(line[0]) || line.find(L'=') == std::wstring::npos) continue;
    ++count;
    for (int i = 0; i < 3; ++i) globals[i] |= line.substr(0, line.find(L'=')) == kGlobalNames[i];
  }
  for (bool present : globals) count += present ? 0 : 1;
  return count;
}

// What a saved file must look like, whatever it was made from.
void CheckSavedForm(const std::string& bytes, size_t expectedEntries) {
  ASSERT_GE(bytes.size(), 2u);
  ASSERT_EQ("\xFF\xFE", bytes.substr(0, 2));
  ASSERT_EQ(0u, bytes.size() % 2);
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  std::vector<std::wstring> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(L"\r\n", start);
    ASSERT_NE(std::wstring::npos, end) << "every line ends with CR LF";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(expectedEntries, lines.size());
  std::wstring previous;
  std::vector<std::wstring> globalsSeen;
  for (const std::wstring& line : lines) {
    ASSERT_TRUE(IsAsciiLetter(line[0]));
    size_t equals = line.find(L'=');
    ASSERT_NE(std::wstring::npos, equals);
    std::wstring name = line.substr(0, equals);
    ASSERT_LE(previous, name);
    previous = name;
    // The first entry of each switch holds its normalised value; later duplicates
    // keep theirs.
    for (const wchar_t* global : kGlobalNames) {
      if (name != global || std::find(globalsSeen.begin(), globalsSeen.end(), name) != globalsSeen.end())
        continue;
      globalsSeen.push_back(name);
      std::wstring value = line.substr(equals + 1);
      ASSERT_TRUE(value == L"0" || value == L"1") << "a Global switch is 0 or 1";
    }
  }
}

// The value of the first line of a saved file that begins with `prefix`.
wchar_t SavedSwitch(const std::string& saved, const std::wstring& prefix) {
  std::wstring text(reinterpret_cast<const wchar_t*>(saved.data()), saved.size() / 2);
  size_t at = text.find(L"\n" + prefix);
  return at == std::wstring::npos ? 0 : text[at + 1 + prefix.size()];
}

void CheckFile(const SettingsFolder& folder, const std::string& bytes) {
  const std::wstring path = folder.Path(L"Bramix.ini");
  WriteBytes(path, bytes);
  std::string saved;
  {
    SettingsStore store;
    ASSERT_TRUE(store.LoadFile(path));
    ASSERT_TRUE(store.Loaded());
    saved = store.FileBytes();
    ASSERT_NO_FATAL_FAILURE(CheckSavedForm(saved, ExpectedEntryCount(bytes)));
    // With SaveSettings off the file keeps its bytes, and loads again as before.
    const bool saveOn = SavedSwitch(saved, L"Global\\SaveSettings=") == L'1';
    ASSERT_EQ(saveOn, store.SaveSettingsFile());
    store.Clear();
  }
  ASSERT_EQ(SavedSwitch(saved, L"Global\\SaveSettings=") == L'1' ? saved : bytes, ReadBytes(path));
  SettingsStore again;
  ASSERT_TRUE(again.LoadFile(path));
  ASSERT_EQ(saved, again.FileBytes()) << "a saved file loads back to itself";
  again.Clear();
}

std::string Mutate(std::string bytes, std::mt19937& random) {
  static const char kInteresting[] = {'\r',   '\n', '=', '"',  '\0', '\xFF', '\xFE',
                                      '\xEF', 'b',  ' ', '\t', '\\', '-'};
  auto pick = [&](size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  int steps = 1 + static_cast<int>(pick(8));
  for (int i = 0; i < steps; ++i) {
    switch (pick(6)) {
      case 0:
        if (!bytes.empty()) bytes[pick(bytes.size())] = static_cast<char>(pick(256));
        break;
      case 1:
        bytes.insert(bytes.begin() + pick(bytes.size() + 1), kInteresting[pick(sizeof(kInteresting))]);
        break;
      case 2:
        if (!bytes.empty()) bytes.erase(pick(bytes.size()), 1 + pick(16));
        break;
      case 3:
        bytes.resize(pick(bytes.size() + 1));
        break;
      case 4: {
        size_t from = pick(bytes.size() + 1);
        bytes.insert(pick(bytes.size() + 1), bytes.substr(from, pick(64)));
        break;
      }
      default:
        for (int j = 0; j < 8; ++j)
          bytes.insert(bytes.begin() + pick(bytes.size() + 1), static_cast<char>(pick(256)));
    }
  }
  return bytes;
}

}  // namespace

TEST(SettingsFuzz, DamagedFilesLoadAndSaveConsistently) {
  SettingsFolder folder;
  std::mt19937 random(20240611);
  const std::vector<std::string> seeds = SeedFiles();
  for (int round = 0; round < 2500; ++round) {
    std::string bytes = Mutate(seeds[round % seeds.size()], random);
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_NO_FATAL_FAILURE(CheckFile(folder, bytes));
  }
  for (int round = 0; round < 300; ++round) {
    std::string binary(std::uniform_int_distribution<size_t>(0, 3000)(random), '\0');
    for (char& c : binary) c = static_cast<char>(random());
    SCOPED_TRACE("binary " + std::to_string(round));
    ASSERT_NO_FATAL_FAILURE(CheckFile(folder, binary));
  }
}

TEST(SettingsFuzz, ExtremeFiles) {
  SettingsFolder folder;
  const std::string longLine = "HKCU\\Setup\\Long=" + std::string(100000, 'v') + "\r\n" +
                               std::string(100000, 'N') + "=" + std::string(50, '1') + "\n";
  std::string big;
  while (big.size() < 3 * 1024 * 1024)
    big += "HKCU\\Setup\\Key" + std::to_string(big.size()) + "=\"value\"\r\n";
  const std::string cases[] = {
      "",
      "\xFF\xFE",
      "\xFE\xFF",
      "\xEF\xBB\xBF",
      "\xFF",
      "\r\n\r\n\n\r",
      "\xEF\xBB\xBFHKCU\\A=\xC3\x28\r\nHKCU\\B=\xF8\x88\x80\x80\x80\r\n",
      "HKCU\\A=\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\r\n",
      Utf16File(L"HKCU\\Odd=1\r\n") + "x",
      Utf16File(L"HKCU\\Surrogate=\xD800 \xDFFF\r\n"),
      std::string("A=1\0B=2\r\nC=3", 13),
      longLine,
      Utf16File(std::wstring(100000, L'w') + L"=\r\n"),
      big,
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE("case of " + std::to_string(bytes.size()) + " bytes");
    ASSERT_NO_FATAL_FAILURE(CheckFile(folder, bytes));
  }
}
