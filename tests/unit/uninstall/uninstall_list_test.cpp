#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "environment/temp_folder.h"
#include "support/wine_program.h"
#include "uninstall/uninstall_run.h"

namespace {

std::vector<std::wstring> EntriesOf(const std::string& bytes) {
  const std::wstring name = GetSystemTempFolder() + L"BramixListTest.lst";
  FILE* out = _wfopen(name.c_str(), L"wb");
  fwrite(bytes.data(), 1, bytes.size(), out);
  fclose(out);
  FILE* in = _wfopen(name.c_str(), L"rb");
  std::vector<std::wstring> entries = ReadListEntries(in);
  fclose(in);
  DeleteFileW(name.c_str());
  return entries;
}

}  // namespace

TEST(UninstallList, LinesBlanksAndLineEnds) {
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"  lead", L"sub\\b c.dll", L"last"}),
            EntriesOf("a.txt \t\r\n\r\n  lead\n   \r\nsub\\b c.dll\r\r\n\nlast"));
  EXPECT_TRUE(EntriesOf("").empty());
  // Lines longer than the classic path limit stay whole.
  std::string longLine(400, 'x');
  EXPECT_EQ(std::vector<std::wstring>{std::wstring(400, L'x')}, EntriesOf(longLine + "\r\n"));
  // A line with a NUL byte would name something else once cut: it is dropped.
  EXPECT_EQ(std::vector<std::wstring>{L"ok"}, EntriesOf(std::string("sub\0x\r\nok\r\n", 12)));
  // ANSI text.
  EXPECT_EQ(std::vector<std::wstring>{L"caf\u00e9.txt"}, EntriesOf("caf\xe9.txt"));
}

TEST(UninstallList, EntriesThatClimbOutOfTheFolder) {
  for (const wchar_t* inside : {L"a.txt", L"sub\\..\\a.txt", L"sub/x/../../a", L".\\a", L"a\\.\\..", L"...txt",
                                L"sub\\\\..\\a"})
    EXPECT_FALSE(EntryLeavesFolder(inside)) << inside;
  for (const wchar_t* outside : {L"..", L"..\\outside.txt", L"../x", L"sub\\..\\..\\x", L".\\..\\x",
                                 L"a\\..\\b\\..\\..\\x", L"..\\Bramix\\x", L"sub\\...\\..\\..\\x", L".. \\x"})
    EXPECT_TRUE(EntryLeavesFolder(outside)) << outside;
}

TEST(UninstallList, PassesUntilOneRemovesNothing) {
  const std::wstring root = GetSystemTempFolder() + L"BramixPassTest";
  DeleteTree(root);
  StagedInstallation install(root + L"\\inst");
  install.WriteFile(L"sub\\deep\\x.txt", "x");
  install.WriteFile(L"sub\\hidden.txt", "h");
  install.WriteFile(L"readonly.txt", "r");
  install.WriteFile(L"kept.txt", "k");
  SetFileAttributesW(install.Path(L"sub\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW(install.Path(L"readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  CloseHandle(CreateFileW((root + L"\\outside.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  // The uninstaller's own name, held open, is neither deleted nor scheduled.
  UniqueFile held(CreateFileW(install.Exe().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  RemovalOutcome outcome = RemoveListedEntries(
      {L"sub", L"sub\\deep", L"sub\\deep\\x.txt", L"sub\\hidden.txt", L"readonly.txt", L"missing.txt",
       L"..\\outside.txt", L"..", L"UNINSTALL.EXE"},
      install.Folder() + L"\\", L"Uninstall.exe");

  // Pass 1 takes the files, pass 2 sub\deep, pass 3 sub, pass 4 nothing.
  EXPECT_EQ(4, outcome.Passes);
  EXPECT_FALSE(outcome.RebootPending);
  for (const wchar_t* gone : {L"sub", L"readonly.txt"}) EXPECT_FALSE(install.Exists(gone)) << gone;
  EXPECT_TRUE(install.Exists(L"kept.txt"));
  EXPECT_TRUE(install.Exists(L"Uninstall.exe"));
  EXPECT_FALSE(install.Exists(L"Uninstall.exe.0.tmp"));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((root + L"\\outside.txt").c_str()));
  held.reset();
  DeleteTree(root);
}
