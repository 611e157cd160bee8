// The settings file's format: what a file's lines become and what a save writes.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings_store.h"
#include "settings/text_reader.h"
#include "unit/settings/settings_test_files.h"

namespace {

void LoadText(SettingsStore& store, const std::wstring& text) {
  StringList lines;
  SplitTextLines(text, lines);
  store.LoadLines(lines, L"");
}

std::wstring Get(SettingsStore& store, HKEY root, const wchar_t* keyPath, const wchar_t* name,
                 const wchar_t* defaultText = L"<none>") {
  wchar_t buffer[256];
  EXPECT_TRUE(store.GetString(root, keyPath, name, buffer, defaultText, 256));
  return buffer;
}

DWORD GetNumber(SettingsStore& store, const wchar_t* keyPath, const wchar_t* name, DWORD defaultValue = 99) {
  DWORD value = 0;
  EXPECT_TRUE(store.GetDword(HKEY_CURRENT_USER, keyPath, name, defaultValue, value));
  return value;
}

}  // namespace

TEST(SettingsStore, GlobalSwitchesAreNormalisedAndAlwaysWritten) {
  SettingsStore store;
  LoadText(store, L"Global\\Integration=0\r\n");
  EXPECT_FALSE(store.IntegrationAllowed());
  EXPECT_EQ(Utf16File(L"Global\\AppData=1\r\nGlobal\\Integration=0\r\nGlobal\\SaveSettings=1\r\n"),
            store.FileBytes());

  SettingsStore seven;
  LoadText(seven, L"Global\\Integration=7\nGlobal\\AppData=\"0\"\n");
  EXPECT_TRUE(seven.IntegrationAllowed());
  EXPECT_EQ(Utf16File(L"Global\\AppData=0\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n"),
            seven.FileBytes());
}

TEST(SettingsStore, LinesAreTakenAsTheFileWritesThem) {
  SettingsStore store;
  LoadText(store,
           L"; comment=1\n"
           L"[Section]\n"
           L"  HKCU\\Setup\\Indented=1\n"
           L"HKCU\\Setup\\NoEquals\n"
           L"HKCU\\Setup\\Quoted=\"a b\"\n"
           L"HKCU\\Setup\\HalfQuoted=\"a b\n"
           L"HKCU\\Setup\\Empty=\"\n"
           L"HKCU\\Setup\\Hex=bin:12ab\n"
           L"HKCU\\Setup\\Letters=bin:ab\n"
           L"HKCU\\Setup\\Capitals=BIN:12\n"
           L"HKCU\\Setup\\Spaced = 5\n"
           L"HKCU\\Setup\\Dup=first\n"
           L"HKCU\\Setup\\Dup=second\n");
  EXPECT_EQ(L"a b", Get(store, HKEY_CURRENT_USER, L"Setup", L"Quoted"));
  EXPECT_EQ(L"a b", Get(store, HKEY_CURRENT_USER, L"Setup", L"HalfQuoted"));
  EXPECT_EQ(L"", Get(store, HKEY_CURRENT_USER, L"Setup", L"Empty"));
  EXPECT_EQ(L"12ab", Get(store, HKEY_CURRENT_USER, L"Setup", L"Hex"));
  EXPECT_EQ(12u, GetNumber(store, L"Setup", L"Hex"));
  EXPECT_EQ(0u, GetNumber(store, L"Setup", L"Letters"));
  EXPECT_EQ(L"BIN:12", Get(store, HKEY_CURRENT_USER, L"Setup", L"Capitals"));
  EXPECT_EQ(L"<none>", Get(store, HKEY_CURRENT_USER, L"Setup", L"Spaced"));
  EXPECT_EQ(0u, GetNumber(store, L"Setup", L"Spaced "));
  EXPECT_EQ(L"first", Get(store, HKEY_CURRENT_USER, L"Setup", L"Dup"));
  EXPECT_EQ(L"<none>", Get(store, HKEY_CURRENT_USER, L"SETUP", L"Quoted"));
  EXPECT_EQ(L"<none>", Get(store, HKEY_CURRENT_USER, L"Setup", L"Indented"));

  store.SetString(HKEY_CURRENT_USER, L"Setup", L"Dup", L"third");
  EXPECT_EQ(Utf16File(L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n"
                      L"HKCU\\Setup\\Capitals=BIN:12\r\n"
                      L"HKCU\\Setup\\Dup=\"third\"\r\n"
                      L"HKCU\\Setup\\Dup=second\r\n"
                      L"HKCU\\Setup\\Empty=\"\"\r\n"
                      L"HKCU\\Setup\\HalfQuoted=\"a b\"\r\n"
                      L"HKCU\\Setup\\Hex=bin:12ab\r\n"
                      L"HKCU\\Setup\\Letters=bin:ab\r\n"
                      L"HKCU\\Setup\\Quoted=\"a b\"\r\n"
                      L"HKCU\\Setup\\Spaced = 5\r\n"),
            store.FileBytes());

  store.Remove(HKEY_CURRENT_USER, L"Setup", L"Dup");
  EXPECT_EQ(L"<none>", Get(store, HKEY_CURRENT_USER, L"Setup", L"Dup"));
}

TEST(SettingsStore, RequestsMapOntoEntryNames) {
  SettingsStore store;
  LoadText(store,
           L"HKCU\\Setup\\MenuItems\\Open=1\nHKCU\\Setup\\A=1\nHKCU\\SetupX\\B=1\nHKLM\\Setup\\C=1\n"
           L"Other=1\n");
  EXPECT_EQ(1u, GetNumber(store, L"Setup\\MenuItems", L"Open"));
  DWORD fromNullRoot = 0;
  store.GetDword(nullptr, L"", L"Other", 5, fromNullRoot);
  EXPECT_EQ(1u, fromNullRoot);
  DWORD count = 0;
  store.GetChars(HKEY_LOCAL_MACHINE, L"Setup", L"C", count);
  EXPECT_EQ(2u, count);
  store.GetChars(HKEY_LOCAL_MACHINE, L"Setup", L"Missing", count);
  EXPECT_EQ(0u, count);

  // Absolute key paths and other roots are not the file's business.
  EXPECT_FALSE(store.TakesRequest(HKEY_CURRENT_USER, L"\\Software\\Classes"));
  EXPECT_FALSE(store.TakesRequest(HKEY_CLASSES_ROOT, L"Setup"));
  EXPECT_FALSE(store.SetString(HKEY_CLASSES_ROOT, L"Setup", L"A", L"x"));

  // A whole key goes with its subkeys, a key that merely begins the same stays.
  store.Remove(HKEY_CURRENT_USER, L"Setup", L"");
  EXPECT_EQ(99u, GetNumber(store, L"Setup\\MenuItems", L"Open"));
  EXPECT_EQ(99u, GetNumber(store, L"Setup", L"A"));
  EXPECT_EQ(1u, GetNumber(store, L"SetupX", L"B"));
  store.GetChars(HKEY_LOCAL_MACHINE, L"Setup", L"C", count);
  EXPECT_EQ(2u, count);
}

TEST(SettingsStore, NumbersKeepAll32Bits) {
  SettingsStore store;
  LoadText(store,
           L"HKCU\\N\\Minus=-1\nHKCU\\N\\Long=99999999999999999999999999999999\nHKCU\\N\\Word=12abc\n");
  EXPECT_EQ(0xFFFFFFFFu, GetNumber(store, L"N", L"Minus"));
  EXPECT_EQ(12u, GetNumber(store, L"N", L"Word"));
  GetNumber(store, L"N", L"Long");  // wraps; must not fault

  store.SetDword(HKEY_CURRENT_USER, L"N", L"Max", 0xFFFFFFFFu);
  EXPECT_EQ(L"4294967295", Get(store, HKEY_CURRENT_USER, L"N", L"Max"));
  EXPECT_EQ(0xFFFFFFFFu, GetNumber(store, L"N", L"Max"));
}

TEST(SettingsStore, WithoutAFileNothingIsHandled) {
  SettingsFolder folder;
  SettingsStore store;
  EXPECT_FALSE(store.LoadFile(folder.Path(L"missing.ini")));
  wchar_t buffer[8] = L"keep";
  EXPECT_FALSE(store.GetString(HKEY_CURRENT_USER, L"Setup", L"A", buffer, L"def", 8));
  EXPECT_FALSE(store.SetDword(HKEY_CURRENT_USER, L"Setup", L"A", 1));
  EXPECT_FALSE(store.Remove(HKEY_CURRENT_USER, L"Setup", L""));
  EXPECT_TRUE(store.IntegrationAllowed());
  EXPECT_FALSE(store.SaveSettingsFile());
  EXPECT_FALSE(FileExists(folder.Path(L"missing.ini")));
}

TEST(SettingsStore, SaveRewritesTheFileOnDisk) {
  SettingsFolder folder;
  const std::wstring path = folder.Path(L"Bramix.ini");
  WriteBytes(path, "HKCU\\Setup\\A=1\r\nHKCU\\Setup\\Text=\"x\"\r\n");
  {
    SettingsStore store;
    ASSERT_TRUE(store.LoadFile(path));
    store.SetString(HKEY_CURRENT_USER, L"Setup", L"Text", L"two\r\nlines=2\r\n zz=3");
    EXPECT_TRUE(store.SaveSettingsFile());
    EXPECT_EQ(store.FileBytes(), ReadBytes(path));
  }
  // A line break in a value is written as it is and splits the value next time.
  SettingsStore again;
  ASSERT_TRUE(again.LoadFile(path));
  EXPECT_EQ(L"two", Get(again, HKEY_CURRENT_USER, L"Setup", L"Text"));
  EXPECT_EQ(L"2", Get(again, nullptr, L"", L"lines"));
  EXPECT_EQ(Utf16File(L"Global\\AppData=1\r\nGlobal\\Integration=1\r\nGlobal\\SaveSettings=1\r\n"
                      L"HKCU\\Setup\\A=1\r\nHKCU\\Setup\\Text=\"two\"\r\nlines=2\r\n"),
            again.FileBytes());

  // A file that cannot be replaced keeps its content.
  const std::string before = ReadBytes(path);
  again.SetDword(HKEY_CURRENT_USER, L"Setup", L"A", 2);
  {
    UniqueFile locked(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    EXPECT_FALSE(again.SaveSettingsFile());
  }
  EXPECT_EQ(before, ReadBytes(path));
  again.Clear();
}

TEST(SettingsStore, SaveSettingsOffLeavesTheFileAlone) {
  SettingsFolder folder;
  const std::wstring path = folder.Path(L"Bramix.ini");
  const std::string original = "Global\\SaveSettings=0\nHKCU\\Setup\\A=1\n";
  WriteBytes(path, original);
  {
    SettingsStore store;
    ASSERT_TRUE(store.LoadFile(path));
    store.SetDword(HKEY_CURRENT_USER, L"Setup", L"A", 5);
    EXPECT_FALSE(store.SaveSettingsFile());
  }  // and at the end of the store's life
  EXPECT_EQ(original, ReadBytes(path));
}
