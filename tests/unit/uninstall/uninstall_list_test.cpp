#include "uninstall/uninstall_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_bytes.h"

namespace {
using Entries = std::vector<std::wstring>;
}  // namespace

TEST(UninstallList, LinesInTheEncodingsInstallersWrite) {
  const struct {
    const char* name;
    std::string bytes;
  } kLists[] = {
      {"ANSI, CR LF, last line without end", "a.txt\r\ndocs\\b.txt\r\nc"},
      {"ANSI, LF", "a.txt\ndocs\\b.txt\nc\n"},
      {"UTF-16 LE mark, lone CR", Utf16FileBytes(L"a.txt\rdocs\\b.txt\rc")},
  };
  for (const auto& list : kLists) {
    SCOPED_TRACE(list.name);
    EXPECT_EQ((Entries{L"a.txt", L"docs\\b.txt", L"c"}), ReadListEntries(list.bytes));
  }
}

TEST(UninstallList, TrailingBlanksGoLeadingOnesStay) {
  EXPECT_EQ((Entries{L"  lead.txt"}), ReadListEntries("  lead.txt \t \r\n"));
}

TEST(UninstallList, BlankLinesAreSkipped) {
  EXPECT_EQ((Entries{L"a", L"b"}), ReadListEntries("\r\n \t\r\na\r\n\r\n\r\nb\r\n   "));
}

TEST(UninstallList, AnsiLineHoldingANulIsDropped) {
  EXPECT_EQ((Entries{L"kept.txt"}), ReadListEntries(std::string("docs\0\\x.txt\r\nkept.txt", 21)));
}

TEST(UninstallList, Utf16LineHoldingANulIsDropped) {
  EXPECT_EQ((Entries{L"kept.txt"}), ReadListEntries(Utf16FileBytes(std::wstring(L"docs\0\\x.txt\nkept.txt", 20))));
}

TEST(UninstallList, EntriesThatStayInsideTheFolder) {
  for (const wchar_t* inside : {L"sub\\..\\a.txt", L"sub/x/../../a", L"a\\.\\..", L"...txt"})
    EXPECT_FALSE(EntryLeavesFolder(inside)) << inside;
}

TEST(UninstallList, EntriesThatClimbOutOfTheFolder) {
  for (const wchar_t* outside : {L"..", L"../x", L".\\..\\x", L"a\\..\\b\\..\\..\\x", L".. \\x"})
    EXPECT_TRUE(EntryLeavesFolder(outside)) << outside;
}

TEST(UninstallList, ThreeDotsCountAsAStepUp) {
  EXPECT_TRUE(EntryLeavesFolder(L"sub\\...\\..\\outside.txt"));
}
