#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "environment/unique_handle.h"
#include "settings/registry.h"

namespace {

// Only the real HKEY_LOCAL_MACHINE\Software has a 32-bit view of its own, so these
// tests use a real key and remove it from both views.
const wchar_t kKeyPath[] = L"\\Software\\UninstallTestsView";
const wchar_t kSubkey[] = L"Software\\UninstallTestsView";

void PutInView(REGSAM view, const wchar_t* text) {
  UniqueHkey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSubkey, 0, nullptr, 0, KEY_WRITE | view, nullptr,
                                           key.put(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                          static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))));
}

class RegistryView : public testing::Test {
 protected:
  void SetUp() override { RemoveFromBothViews(); }
  void TearDown() override { RemoveFromBothViews(); }

 private:
  static void RemoveFromBothViews() {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      UniqueHkey software;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, software.put()) == ERROR_SUCCESS)
        RegDeleteTreeW(software.get(), L"UninstallTestsView");
    }
  }
};

}  // namespace

TEST_F(RegistryView, TextReadInsideTheScopeFindsALongValueOnlyInThe32BitView) {
  const std::wstring longText(300, L'x');
  PutInView(KEY_WOW64_32KEY, longText.c_str());
  RegView32Scope view;
  std::wstring out;
  EXPECT_TRUE(GetRegText(HKEY_LOCAL_MACHINE, kKeyPath, L"v", out, L""));
  EXPECT_EQ(longText, out);
}
