#include "uninstall/install_record.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

// The package folder holds the settings file, the product data folder (given by
// the registry) is empty, and the copy lands in the current folder.
class PackageCopy : public RegistrySandbox {
 protected:
  void SetUp() override {
    RegistrySandbox::SetUp();
    ASSERT_TRUE(folder_.Ok());
    ASSERT_TRUE(WriteFileBytes(folder_.Path(L"package\\bramix.ini"), kPackaged));
    ASSERT_TRUE(CreateDirectoryW(folder_.Path(L"data").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder_.Path(L"current").c_str(), nullptr));
    ASSERT_TRUE(PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\Paths", L"AppData", folder_.Path(L"data")));
    ASSERT_TRUE(SetCurrentFolder(folder_.Path(L"current")));
  }
  std::string Copied() const { return ReadFileBytes(folder_.Path(L"current\\bramix.ini")); }

  const std::string kPackaged = "[Bramix]\r\nfrom the package\r\n";
  const ScopedTempFolder folder_;
  const ScopedCurrentFolder current_;
};

TEST_F(PackageCopy, SettingsFileComesFromThePackageFolder) {
  const ScopedEnvVar sfxname(L"sfxname", folder_.Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ(kPackaged, Copied());
}

TEST_F(PackageCopy, ExistingSettingsFileIsNotOverwritten) {
  ASSERT_TRUE(WriteFileBytes(folder_.Path(L"current\\bramix.ini"), "mine"));
  const ScopedEnvVar sfxname(L"sfxname", folder_.Path(L"package\\Setup.exe").c_str());
  CopyPackageFiles();
  EXPECT_EQ("mine", Copied());
}
