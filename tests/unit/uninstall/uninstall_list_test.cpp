#include <gtest/gtest.h>

#include <cstdio>

#include "uninstall/uninstall_run.h"

namespace {

std::vector<std::wstring> EntriesOf(const std::string& bytes) {
  FILE* list = tmpfile();
  fwrite(bytes.data(), 1, bytes.size(), list);
  rewind(list);
  std::vector<std::wstring> entries = ReadListEntries(list);
  fclose(list);
  return entries;
}

}  // namespace

TEST(UninstallList, LinesBlanksAndLineEnds) {
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"  lead", L"sub\\b c.dll", L"last"}),
            EntriesOf("a.txt \t\r\n\r\n  lead\n   \r\nsub\\b c.dll\r\r\n\nlast"));
  // Long lines and ANSI text stay whole; a line holding a NUL byte is dropped.
  EXPECT_EQ((std::vector<std::wstring>{std::wstring(400, L'x'), L"ok", L"caf\u00e9.txt"}),
            EntriesOf(std::string(400, 'x') + "\r\n" + std::string("sub\0x\r\nok\r\n", 11) + "caf\xe9.txt"));
}

TEST(UninstallList, EntriesThatClimbOutOfTheFolder) {
  for (const wchar_t* inside : {L"a.txt", L"sub\\..\\a.txt", L"sub/x/../../a", L".\\a", L"a\\.\\..", L"...txt",
                                L"sub\\\\..\\a"})
    EXPECT_FALSE(EntryLeavesFolder(inside)) << inside;
  for (const wchar_t* outside : {L"..", L"..\\outside.txt", L"../x", L"sub\\..\\..\\x", L".\\..\\x",
                                 L"a\\..\\b\\..\\..\\x", L"..\\Bramix\\x", L"sub\\...\\..\\..\\x", L".. \\x"})
    EXPECT_TRUE(EntryLeavesFolder(outside)) << outside;
}
