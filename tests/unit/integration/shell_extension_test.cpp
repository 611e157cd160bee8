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
  const ScopedWindows11 windows10_{false};
  const ScopedProgramFile dll64_{L"zpkext.dll"};
  const ScopedProgramFile dll32_{L"zpkext32.dll"};
};

}  // namespace

TEST_F(ShellExtensionTest, ClassicContextMenuHandlersFollowWindows11AndLegacyMenu) {
  struct Row {
    const char* system;
    bool windows11, legacyMenu, classicHandlers;
  };
  // Applied one after the other, each row changes what the row before it left.
  for (const Row& row : {Row{"Windows 10", false, false, true}, Row{"Windows 11", true, false, false},
                         Row{"Windows 11 with LegacyMenu", true, true, true}}) {
    SCOPED_TRACE(row.system);
    const ScopedWindows11 windows(row.windows11);
    RegisterShellIntegration(false, {.ShellExt = true, .LegacyMenu = row.legacyMenu});
    for (const auto& [name, clsid] :
         {std::pair{std::wstring(L"Bramix32"), kClsid32}, std::pair{std::wstring(L"Bramix"), kClsid64}}) {
      const std::wstring classic = StoredText(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\" + name, nullptr);
      EXPECT_EQ(row.classicHandlers ? clsid : L"<missing>", classic);
      EXPECT_EQ(clsid, StoredText(HKEY_CLASSES_ROOT, L"Drive\\shellex\\DragDropHandlers\\" + name, nullptr));
    }
  }
}
