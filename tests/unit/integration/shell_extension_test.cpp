#include "integration/shell_extension.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/registry.h"
#include "support/file_bytes.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"
#include "support/wine_program.h"

namespace {

const std::wstring kClsid32 = L"{7C2E91A4-3D10-4B5D-A1C3-5F60D2E4B718}";
const std::wstring kClsid64 = L"{7C2E91A4-3D20-4B5D-A1C3-5F60D2E4B718}";
constexpr DWORD kView32 = RRF_SUBKEY_WOW6432KEY;

// Wine hands a read with a view flag to the real predefined key, past the sandbox:
// the 32-bit view is read from the real registry.
// The package and a stand-in installer that records its arguments (after 1.5 s).
class StagedPackage {
 public:
  ~StagedPackage() {
    WaitForProcessesToEnd(L"ZpkExtInstaller.exe", 20000);
    DeleteFileW(args_.c_str());
  }
  std::string Args() const { return ReadFileBytes(args_); }

 private:
  const ScopedProgramFile package_{L"ZpkExtPackage.msix"};
  const ScopedProgramFile installer_{L"ZpkExtInstaller.exe", L"args_recorder.exe"};
  const std::wstring args_ = installer_.Path() + L".args";
};

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

TEST_F(ShellExtensionTest, EachClassPointsAtItsDllInItsOwnViewOnly) {
  RegisterShellIntegration(false, {.ShellExt = true});
  struct Row {
    const char* dll;
    std::wstring clsid, path;
    DWORD ownView, otherView;
  };
  for (const Row& row : {Row{"zpkext32.dll", kClsid32, dll32_.Path(), kView32, 0},
                         Row{"zpkext.dll", kClsid64, dll64_.Path(), 0, kView32}}) {
    SCOPED_TRACE(row.dll);
    const std::wstring server = L"CLSID\\" + row.clsid + L"\\InProcServer32";
    EXPECT_EQ(row.path, StoredText(HKEY_CLASSES_ROOT, server, nullptr, row.ownView));
    EXPECT_EQ(L"Apartment", StoredText(HKEY_CLASSES_ROOT, server, L"ThreadingModel", row.ownView));
    EXPECT_EQ(L"<missing>", StoredText(HKEY_CLASSES_ROOT, server, nullptr, row.otherView));
  }
}

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

TEST_F(ShellExtensionTest, MissingDllLeavesOutOnlyTheKeysOfItsClass) {
  DeleteFileW(dll32_.Path().c_str());
  RegisterShellIntegration(false, {.ShellExt = true});
  EXPECT_EQ(L"<missing>", StoredText(HKEY_CLASSES_ROOT, L"CLSID\\" + kClsid32, nullptr, kView32));
  EXPECT_EQ(kClsid32, StoredText(HKEY_CLASSES_ROOT, L"Folder\\shellex\\DragDropHandlers\\Bramix32", nullptr));
}

TEST_F(ShellExtensionTest, CapabilitiesListEveryExtensionWhateverTheUserChose) {
  RegisterShellIntegration(false, {});
  UniqueHkey key;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Bramix\\Capabilities\\FileAssociations", 0, KEY_READ, key.put());
  DWORD values = 0;
  RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  EXPECT_EQ(29u, values);
  EXPECT_EQ(L"Bramix.ZIP", StoredText(key.get(), L"", L".zip"));
}

TEST_F(ShellExtensionTest, PackageInstallerGetsTheTextOfEachActionWhichIsRecorded) {
  struct Row {
    const char* action;
    bool install, extAll;
    std::string args;
    DWORD recorded;
  };
  for (const Row& row :
       {Row{"install", true, false, "-install\n", 1}, Row{"install all", true, true, "-install -extall\n", 1},
        Row{"remove", false, true, "-Uninstall\n", 0}}) {
    SCOPED_TRACE(row.action);
    const StagedPackage package;
    SetRegDword(L"Setup", L"NewContextMenu", 7);
    RunContextMenuPackage(row.install, row.extAll);
    WaitForProcessesToEnd(L"ZpkExtInstaller.exe", 20000);
    EXPECT_EQ(row.args, package.Args());
    EXPECT_EQ(row.recorded, GetRegDword(L"Setup", L"NewContextMenu", 7));
  }
}

TEST_F(ShellExtensionTest, OnlyRemovalWaitsForThePackageInstaller) {
  const ScopedWindows11 windows11(true);
  struct Row {
    const char* action;
    std::function<void()> run;
    std::string argsOnReturn;
  };
  for (const Row& row : {Row{"install", [] { RunContextMenuPackage(true, false); }, "<missing>"},
                         Row{"extension off", [] { RegisterShellIntegration(true, {}); }, "-Uninstall\n"}}) {
    SCOPED_TRACE(row.action);
    const StagedPackage package;
    row.run();
    EXPECT_EQ(row.argsOnReturn, package.Args());
  }
}
