#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/registry_values.h"
#include "support/wine_program.h"

namespace {

// The two product trees that the uninstall run deletes whole.
struct ProductTree {
  const char* name;
  HKEY root;
  const wchar_t* path;
};
const ProductTree kTrees[] = {
    {"HKCU\\Software\\Bramix", HKEY_CURRENT_USER, L"Software\\Bramix"},
    {"HKCR\\Bramix", HKEY_CLASSES_ROOT, L"Bramix"},
};

void CreateKey(HKEY root, const std::wstring& path) {
  UniqueHkey key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr))
      << path.size() << " characters";
}

class RegistryCleanup : public testing::Test {
 protected:
  void SetUp() override {
    RemoveTrees();
    install_.WriteFile(L"Bramix.exe", "x");
    install_.WriteList({L"Bramix.exe", L"Uninstall.exe", L"Uninstall.lst"});
  }
  void TearDown() override { RemoveTrees(); }

  void RunSilently() { RunToTheEnd(install_.Exe(), L"/s"); }

 private:
  static void RemoveTrees() {
    for (const ProductTree& tree : kTrees) RegDeleteTreeW(tree.root, tree.path);
  }

  StagedInstallation install_{L"C:\\Program Files\\BramixRegistry"};
};

}  // namespace

TEST_F(RegistryCleanup, SubkeyNameAtTheRegistryLimitDoesNotKeepTheProductKeys) {
  const std::wstring longName(255, L'n');
  for (const ProductTree& tree : kTrees) {
    SCOPED_TRACE(tree.name);
    CreateKey(tree.root, tree.path + (L"\\" + longName) + L"\\child");
    // Enumerated after the long name.
    CreateKey(tree.root, tree.path + std::wstring(L"\\zz sibling"));
  }
  RunSilently();
  for (const ProductTree& tree : kTrees) EXPECT_FALSE(KeyExists(tree.root, tree.path)) << tree.name;
}

TEST_F(RegistryCleanup, PathLongerThan512CharactersDoesNotKeepTheProductKeys) {
  std::wstring deep = L"\\Deep";
  for (wchar_t c = L'a'; deep.size() <= 600; ++c) deep += L"\\" + std::wstring(100, c);
  for (const ProductTree& tree : kTrees) {
    SCOPED_TRACE(tree.name);
    CreateKey(tree.root, tree.path + deep);
  }
  RunSilently();
  for (const ProductTree& tree : kTrees) EXPECT_FALSE(KeyExists(tree.root, tree.path)) << tree.name;
}
