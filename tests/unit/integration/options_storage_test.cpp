#include "integration/options_storage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <tuple>

#include "settings/text_reader.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"

namespace {

constexpr size_t kJarRow = 11;
constexpr size_t kIsoRow = 12;

struct Choice {
  const char* name;
  bool IntegrationOptions::*field;
};
const Choice kChoices[] = {
    {"Desktop", &IntegrationOptions::Desktop},
    {"StartMenu", &IntegrationOptions::StartMenu},
    {"Programs", &IntegrationOptions::Programs},
    {"ShellExt", &IntegrationOptions::ShellExt},
    {"CascadedMenu", &IntegrationOptions::CascadedMenu},
    {"MenuIcons", &IntegrationOptions::MenuIcons},
    {"LegacyMenu", &IntegrationOptions::LegacyMenu},
    {"ExtAll", &IntegrationOptions::ExtAll},
};

std::string Narrow(const wchar_t* text) { return std::string(text, text + wcslen(text)); }

// A number as the registry holds it under the product key, or nothing.
std::optional<DWORD> StoredNumber(const std::wstring& path, const wchar_t* name) {
  return StoredDword(HKEY_CURRENT_USER, L"Software\\Bramix\\" + path, name);
}

class IntegrationOptionsTest : public RegistrySandbox {
 protected:
  const ScopedSettingsStore store_;
};

}  // namespace

TEST_F(IntegrationOptionsTest, NothingStoredOnWindows10GivesTheDefaults) {
  const ScopedWindows11 windows10(false);
  const IntegrationOptions options = LoadIntegrationOptions();
  for (size_t row = 0; row < ArchiveFormats.size(); ++row) {
    SCOPED_TRACE(Narrow(ArchiveFormats[row].Extensions));
    EXPECT_EQ(row != kJarRow, options.Formats[row]);
  }
  const bool onByDefault[] = {false, false, true, true, false, true, false, false};
  for (size_t i = 0; i < std::size(kChoices); ++i) {
    SCOPED_TRACE(kChoices[i].name);
    EXPECT_EQ(onByDefault[i], options.*kChoices[i].field);
  }
}

TEST_F(IntegrationOptionsTest, JarAndIsoAreOfferedAsTheirCurrentOwnerAllows) {
  struct Row {
    const char* name;
    size_t row;
    const wchar_t* owner;  // default value of the extension key; null: no key
    std::optional<DWORD> stored;
    bool expected;
  };
  const Row rows[] = {
      {".jar without a key, stored on", kJarRow, nullptr, 1, false},
      {".jar of another program, stored on", kJarRow, L"jarfile", 1, false},
      {".jar of the product, stored on", kJarRow, L"Bramix", 1, true},
      {".jar of the product's ZIP in other case, stored off", kJarRow, L"bramix.zip", 0, false},
      {".iso with an empty default, nothing stored", kIsoRow, L"", std::nullopt, true},
      {".iso without a key, stored off", kIsoRow, nullptr, 0, false},
  };
  const ScopedWindows11 windows10(false);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::wstring extension = ArchiveFormats[row.row].Extensions;
    const std::wstring setupKey = L"Software\\Bramix\\Setup\\" + extension;
    RegDeleteTreeW(HKEY_CLASSES_ROOT, extension.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, setupKey.c_str());
    if (row.owner) PutText(HKEY_CLASSES_ROOT, extension, L"", row.owner);
    if (row.stored) PutDword(HKEY_CURRENT_USER, setupKey, L"Set", *row.stored);
    EXPECT_EQ(row.expected, LoadIntegrationOptions().Formats[row.row]);
  }
}

TEST_F(IntegrationOptionsTest, OnWindows11TheCascadedMenuIsOnUntilTheMenuPackageIsInstalled) {
  struct Row {
    const char* name;
    bool windows11;
    std::optional<DWORD> cascaded;
    std::optional<DWORD> newContextMenu;
    bool expected;
  };
  const Row rows[] = {
      {"Windows 10, nothing stored", false, std::nullopt, std::nullopt, false},
      {"Windows 10, stored on", false, 1, std::nullopt, true},
      {"Windows 11, nothing stored", true, std::nullopt, std::nullopt, true},
      {"Windows 11, stored off, no package", true, 0, std::nullopt, true},
      {"Windows 11, stored off, package removed", true, 0, 0, true},
      {"Windows 11, stored off, package installed", true, 0, 1, false},
      {"Windows 11, nothing stored, package installed", true, std::nullopt, 1, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ScopedWindows11 windows(row.windows11);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Bramix");
    if (row.cascaded) PutDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"CascadedMenu", *row.cascaded);
    if (row.newContextMenu)
      PutDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"NewContextMenu", *row.newContextMenu);
    EXPECT_EQ(row.expected, LoadIntegrationOptions().CascadedMenu);
  }
}

TEST_F(IntegrationOptionsTest, SavingWritesEachChoiceAsZeroOrOneUnderItsKey) {
  IntegrationOptions options;
  for (bool& format : options.Formats) format = true;
  options.Programs = true;
  options.ShellExt = true;
  options.LegacyMenu = true;
  SaveIntegrationOptions(options);
  // The first row, a row of two extensions (named by its first) and the last row.
  const wchar_t* formatKeys[] = {L"Setup\\.zpk", L"Setup\\.lzh", L"Setup\\.001"};
  for (const wchar_t* key : formatKeys) {
    SCOPED_TRACE(Narrow(key));
    EXPECT_EQ(1u, StoredNumber(key, L"Set"));
  }
  const std::tuple<const wchar_t*, const wchar_t*, DWORD> otherKeys[] = {
      {L"Setup\\Links", L"Desktop", 0},  {L"Setup\\Links", L"StartMenu", 0}, {L"Setup\\Links", L"Programs", 1},
      {L"Setup", L"ShellExt", 1},        {L"Setup", L"CascadedMenu", 0},     {L"Setup", L"MenuIcons", 0},
      {L"Setup", L"LegacyMenu", 1},
  };
  for (const auto& [key, name, expected] : otherKeys) {
    SCOPED_TRACE(Narrow(name));
    EXPECT_EQ(expected, StoredNumber(key, name));
  }
}

TEST_F(IntegrationOptionsTest, SavingLeavesTheMenuPackageStateAlone) {
  PutDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup", L"NewContextMenu", 1);
  SaveIntegrationOptions(IntegrationOptions{});
  EXPECT_EQ(1u, StoredNumber(L"Setup", L"NewContextMenu"));
}

TEST_F(IntegrationOptionsTest, AnyNonZeroNumberLoadsAsOnAndIsSavedBackAsOne) {
  PutDword(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup\\.cab", L"Set", 7);
  SaveIntegrationOptions(LoadIntegrationOptions());
  EXPECT_EQ(1u, StoredNumber(L"Setup\\.cab", L"Set"));
}

TEST_F(IntegrationOptionsTest, WithoutIntegrationTheChoicesGoToTheSettingsFileAndNoOwnerIsRead) {
  StringList lines;
  SplitTextLines(L"Global\\Integration=0\n", lines);
  WritableSettingsStore().LoadLines(lines, L"");
  PutText(HKEY_CLASSES_ROOT, L".iso", L"", L"Windows.IsoFile");
  IntegrationOptions saved;
  saved.Formats[kIsoRow] = true;
  saved.Desktop = true;
  SaveIntegrationOptions(saved);
  EXPECT_FALSE(StoredNumber(L"Setup\\.iso", L"Set"));
  const IntegrationOptions loaded = LoadIntegrationOptions();
  EXPECT_TRUE(loaded.Formats[kIsoRow]);
  EXPECT_TRUE(loaded.Desktop);
}

TEST_F(RegistrySandbox, IsOwnedByProductOnlyForTheProductsTwoProgramIdentifiers) {
  struct Row {
    const char* name;
    const wchar_t* extension;
    std::optional<std::wstring> owner;
    bool expected;
  };
  const Row rows[] = {
      {".zpk of Bramix", L".zpk", L"Bramix", true},
      {".zip of BRAMIX.zip", L".zip", L"BRAMIX.zip", true},
      {".7z of Bramix7", L".7z", L"Bramix7", false},
      {".cab without a key", L".cab", std::nullopt, false},
      {".arj of a name beyond 80 characters", L".arj", L"Bramix" + std::wstring(100, L' '), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.owner) PutText(HKEY_CLASSES_ROOT, row.extension, L"", *row.owner);
    EXPECT_EQ(row.expected, IsOwnedByProduct(row.extension));
  }
}
