#include "integration/associations.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_sandbox.h"
#include "support/registry_values.h"

class Associations : public RegistrySandbox {};

// The product's own ProgID, in any case, is never given back as the previous owner.
TEST_F(Associations, ARecordNamingTheProductAsThePreviousOwnerLeavesTheExtensionEmpty) {
  PutText(HKEY_CLASSES_ROOT, L".lzh", L"", L"Peer.lzh");
  AssociateExtension(L".lzh", true, true, false, false);
  PutText(HKEY_CURRENT_USER, L"Software\\Bramix\\Setup\\.lzh", L"Type", L"bramix.zip");
  ReleaseExtension(L".lzh");
  EXPECT_EQ(L"", StoredText(HKEY_CLASSES_ROOT, L".lzh", L""));
}
