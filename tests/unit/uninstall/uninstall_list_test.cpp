#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uninstall/uninstall_list.h"

namespace {

using Entries = std::vector<std::wstring>;

std::string Utf16Bytes(const std::wstring& text) {
  std::string bytes;
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

}  // namespace

TEST(UninstallList, LinesInTheEncodingsInstallersWrite) {
  const struct {
    const char* name;
    std::string bytes;
  } kLists[] = {
      {"ANSI, CR LF, last line without end", "a.txt\r\ndocs\\b.txt\r\nc"},
      {"ANSI, LF", "a.txt\ndocs\\b.txt\nc\n"},
      {"ANSI, lone CR", "a.txt\rdocs\\b.txt\rc\r"},
      {"UTF-8 mark", "\xEF\xBB\xBF" "a.txt\r\ndocs\\b.txt\r\nc\r\n"},
      {"UTF-16 LE mark", "\xFF\xFE" + Utf16Bytes(L"a.txt\r\ndocs\\b.txt\r\nc\r\n")},
      {"UTF-16 LE mark, lone CR", "\xFF\xFE" + Utf16Bytes(L"a.txt\rdocs\\b.txt\rc")},
  };
  for (const auto& list : kLists) {
    SCOPED_TRACE(list.name);
    EXPECT_EQ((Entries{L"a.txt", L"docs\\b.txt", L"c"}), ReadListEntries(list.bytes));
  }
}

TEST(UninstallList, Utf8EntriesKeepTheirLetters) {
  EXPECT_EQ((Entries{L"\u00e8\\\u03b1\u03b2\u03b3.txt"}), ReadListEntries("\xEF\xBB\xBF\xC3\xA8\\\xCE\xB1\xCE\xB2\xCE\xB3.txt"));
}

TEST(UninstallList, Utf16EntriesKeepTheirLetters) {
  EXPECT_EQ((Entries{L"\u00e8\\\u03b1\u03b2\u03b3.txt"}), ReadListEntries("\xFF\xFE" + Utf16Bytes(L"\u00e8\\\u03b1\u03b2\u03b3.txt")));
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
  EXPECT_EQ((Entries{L"kept.txt"}), ReadListEntries("\xFF\xFE" + Utf16Bytes(std::wstring(L"docs\0\\x.txt\nkept.txt", 20))));
}

TEST(UninstallList, ThreeDotsCountAsAStepUp) {
  EXPECT_TRUE(EntryLeavesFolder(L"sub\\...\\..\\outside.txt"));
}
