#include "uninstall/registration_cleanup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"

class RegistrationCleanup : public RegistrySandbox {};

TEST_F(RegistrationCleanup, InstallationKeysStayForMsi) {
  const wchar_t* const keys[] = {
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver",
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe",
  };
  for (const wchar_t* key : keys) ASSERT_TRUE(PutText(HKEY_LOCAL_MACHINE, key, L"v", L"x"));
  const ScopedRunState state;
  WritableRunState().Msi = true;
  RemoveRegistrations();
  for (const wchar_t* key : keys) EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key)) << testing::PrintToString(key);
}
