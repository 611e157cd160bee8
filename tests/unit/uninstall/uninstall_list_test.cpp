#include "uninstall/uninstall_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_bytes.h"

using Entries = std::vector<std::wstring>;

TEST(UninstallList, AnsiLineHoldingANulIsDropped) {
  EXPECT_EQ((Entries{L"kept.txt"}), ReadListEntries(std::string("docs\0\\x.txt\r\nkept.txt", 21)));
}

TEST(UninstallList, Utf16LineHoldingANulIsDropped) {
  EXPECT_EQ((Entries{L"kept.txt"}), ReadListEntries(Utf16FileBytes(std::wstring(L"docs\0\\x.txt\nkept.txt", 20))));
}

TEST(UninstallList, EntriesThatStayInsideTheFolder) {
  for (const wchar_t* inside : {L"sub\\..\\a.txt", L"sub/x/../../a", L"a\\.\\..", L"...txt"})
    EXPECT_FALSE(EntryLeavesFolder(inside)) << testing::PrintToString(inside);
}

TEST(UninstallList, EntriesThatClimbOutOfTheFolder) {
  for (const wchar_t* outside : {L"..", L".\\..\\x", L"a\\..\\b\\..\\..\\x", L".. \\x"})
    EXPECT_TRUE(EntryLeavesFolder(outside)) << testing::PrintToString(outside);
}

TEST(UninstallList, ThreeDotsCountAsAStepUp) {
  EXPECT_TRUE(EntryLeavesFolder(L"sub\\...\\..\\outside.txt"));
}
