#include "integration/options_storage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"

namespace {

constexpr size_t kJarRow = 11;
constexpr size_t kIsoRow = 12;

class IntegrationOptionsTest : public RegistrySandbox {
 protected:
  const ScopedSettingsStore store_;
};

}  // namespace

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
