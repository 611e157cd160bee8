#include "uninstall/removal_script.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kExe[] = L"C:\\Program Files\\Bramix\\Uninstall.exe";
const wchar_t kFolder[] = L"C:\\Program Files\\Bramix";

}  // namespace

TEST(RemovalScriptText, NormalRunWarnsWhenTheUninstallerIsStillThere) {
  const std::wstring warning = L"\r\nif exist \"" + std::wstring(kExe) + L"\" \"" + kExe + L"\" /warning\r\n";
  EXPECT_NE(std::wstring::npos, MakeRemovalScriptText(kExe, kFolder, false).find(warning));
}

TEST(RemovalScriptText, SilentRunDoesNotWarn) {
  EXPECT_EQ(std::wstring::npos, MakeRemovalScriptText(kExe, kFolder, true).find(L"/warning"));
}
