#include "uninstall/uninstall_run.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "environment/paths.h"
#include "environment/temp_folder.h"
#include "environment/unique_handle.h"
#include "files/file_system.h"
#include "support/import_patch.h"
#include "support/pending_renames.h"
#include "support/registry_sandbox.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

namespace {

// The program's own path as the uninstall run sees it, while patched.
std::wstring fakeModulePath;
DWORD WINAPI FakeModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
  if (size <= fakeModulePath.size()) return 0;
  wcscpy(buffer, fakeModulePath.c_str());
  return static_cast<DWORD>(fakeModulePath.size());
}

}  // namespace

class SideNames : public TempFolderTest {
 protected:
  ScopedPendingRenames pending_;
};

TEST_F(SideNames, AllThousandTakenSchedulesTheFileUnderItsOwnName) {
  for (int n = 0; n < 1000; ++n) WriteBytes(Path(L"zpkext.dll." + std::to_wstring(n) + L".tmp"), "");
  // Loaded as an image: Windows can rename it but not delete it.
  ASSERT_TRUE(CopyFileW(BuiltUninstallExe().c_str(), Path(L"zpkext.dll").c_str(), FALSE));
  const UniqueModule image(LoadLibraryExW(Path(L"zpkext.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
  ASSERT_TRUE(image);
  RemoveListedEntries({L"zpkext.dll"}, root_ + L"\\", L"Uninstall.exe");
  EXPECT_TRUE(ScheduledAtRestart(Path(L"zpkext.dll")));
}

class MsiRun : public RegistrySandbox {};

TEST_F(MsiRun, StopsBeforeTheListedFiles) {
  StagedInstallation install(GetSystemTempFolder() + L"BramixMsiRun");
  install.WriteFile(L"Bramix.exe", "x");
  install.WriteList({L"Bramix.exe", L"Uninstall.exe", L"Uninstall.lst"});
  DeleteFileW((GetSystemTempFolder() + L"Uninstall_Zpk.Bat").c_str());
  {
    ScopedCurrentFolder current;
    const ScopedRunState state;
    WritableRunState().Silent = true;
    WritableRunState().Msi = true;
    fakeModulePath = install.Exe();
    ScopedImportPatch patch("GetModuleFileNameW", reinterpret_cast<void*>(FakeModuleFileName));
    ASSERT_TRUE(patch.Patched());
    // Wine's shell keeps the folder that is current during a change notice open
    // until the process ends; the notice plays no part here.
    ScopedImportPatch notice("SHChangeNotify", reinterpret_cast<void*>(+[](LONG, UINT, LPCVOID, LPCVOID) {}));
    RunUninstall();
  }
  EXPECT_TRUE(install.Exists(L"Bramix.exe"));
  EXPECT_TRUE(install.Exists(L"Uninstall.lst"));
  EXPECT_FALSE(PathExists((GetSystemTempFolder() + L"Uninstall_Zpk.Bat")));
}
