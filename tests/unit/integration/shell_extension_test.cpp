#include "integration/shell_extension.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"
#include "support/wine_program.h"

namespace {

const std::wstring kClsid32 = L"{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}";
const std::wstring kClsid64 = L"{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}";
class ShellExtensionTest : public RegistrySandbox {
 protected:
  // What goes to the 32-bit view lands in the real registry; it goes whatever the test did.
  void TearDown() override {
    for (const std::wstring& clsid : {kClsid32, kClsid64}) {
      RegDeleteKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid + L"\\InProcServer32").c_str(), KEY_WOW64_32KEY, 0);
      RegDeleteKeyExW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str(), KEY_WOW64_32KEY, 0);
    }
    RegistrySandbox::TearDown();
  }

  const ScopedSettingsStore store_;
  const ScopedProgramFile dll64_{L"zpkext.dll"};
  const ScopedProgramFile dll32_{L"zpkext32.dll"};
};

}  // namespace

TEST_F(ShellExtensionTest, Windows11WithTheLegacyMenuKeepsTheClassicContextMenuHandlers) {
  const ScopedWindows11 windows11(true);
  RegisterShellIntegration(false, {.ShellExt = true, .LegacyMenu = true});
  EXPECT_EQ(kClsid32, StoredText(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\Bramix32", nullptr));
  EXPECT_EQ(kClsid64, StoredText(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\Bramix", nullptr));
}
