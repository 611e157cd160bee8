#include "uninstall/registration_cleanup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "environment/unique_handle.h"
#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/scoped_state.h"

namespace {

struct KeyRow {
  HKEY root;
  const wchar_t* path;
  const wchar_t* below;  // a subkey where setup makes one: the whole tree has to go
};

const KeyRow kProductTrees[] = {
    {HKEY_CLASSES_ROOT, L"Bramix", L"\\shell\\open\\command"},
    {HKEY_CLASSES_ROOT, L"Bramix.ZIP", L"\\DefaultIcon"},
    {HKEY_CLASSES_ROOT, L"Bramix.REV", L""},
    {HKEY_CLASSES_ROOT, L".rev", L""},
    {HKEY_CURRENT_USER, L"Software\\Bramix", L"\\Paths"},
};
const KeyRow kInstallationKeys[] = {
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bramix archiver", L""},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Bramix.exe", L""},
};
const KeyRow kForeignKeys[] = {
    {HKEY_CLASSES_ROOT, L".zip", L""},
    {HKEY_CURRENT_USER, L"Software\\Other", L""},
};

void Make(const KeyRow& key) {
  ASSERT_TRUE(PutText(key.root, std::wstring(key.path) + key.below, L"v", L"x"));
}

bool Exists(const KeyRow& key) { return KeyExists(key.root, key.path); }

}  // namespace

class RegistrationCleanup : public RegistrySandbox {};

TEST_F(RegistrationCleanup, ProductTreesGo) {
  for (const KeyRow& key : kProductTrees) Make(key);
  RemoveRegistrations();
  for (const KeyRow& key : kProductTrees) EXPECT_FALSE(Exists(key)) << key.path;
}

TEST_F(RegistrationCleanup, InstallationKeysGo) {
  for (const KeyRow& key : kInstallationKeys) Make(key);
  RemoveRegistrations();
  for (const KeyRow& key : kInstallationKeys) EXPECT_FALSE(Exists(key)) << key.path;
}

TEST_F(RegistrationCleanup, InstallationKeysStayForMsi) {
  for (const KeyRow& key : kInstallationKeys) Make(key);
  const ScopedRunState state;
  WritableRunState().Msi = true;
  RemoveRegistrations();
  for (const KeyRow& key : kInstallationKeys) EXPECT_TRUE(Exists(key)) << key.path;
}

TEST_F(RegistrationCleanup, OtherProgramsKeysStay) {
  for (const KeyRow& key : kForeignKeys) Make(key);
  RemoveRegistrations();
  for (const KeyRow& key : kForeignKeys) EXPECT_TRUE(Exists(key)) << key.path;
}
