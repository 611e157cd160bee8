// The language text parser, fed text in memory.
#include <gtest/gtest.h>

#include <string>

#include "localization/language_file.h"
#include "localization/language_table.h"
#include "support/language_records.h"

namespace {

// The table made from the lines that follow a marker line.
LanguageTable Parsed(const std::wstring& lines) {
  LanguageTable table;
  ParseLanguageText((L"***messages** IDS_ON_THE_MARKER_LINE x\r\n" + lines).c_str(), table);
  return table;
}

struct TextRow {
  const wchar_t* line;
  std::wstring text;
};

}  // namespace

TEST(LanguageText, SectionLinesPrefixTheKeysThatFollow) {
  const struct {
    const wchar_t* section;
    const char* key;
  } rows[] = {
      {L":DIALOG SETUPDLG", "$SETUPDLG:K"},
      {L":MENU  MAIN extra words", "@MAIN:K"},
      {L":DIALOG X\n:STRINGS", "s:K"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(L"text", TextOf(Parsed(std::wstring(row.section) + L"\nK text\n"), row.key))
        << testing::PrintToString(row.section);
}

TEST(LanguageText, LinesThatAreNoKeyLinesAreIgnored) {
  for (const wchar_t* line : {L"; K x", L" K x", L"7K x"})
    EXPECT_TRUE(Parsed(std::wstring(line) + L"\r\n").Empty()) << testing::PrintToString(line);
}

TEST(LanguageText, TheKeyEndsAtASpaceATabOrAComma) {
  for (const wchar_t* line : {L"K\ttext", L"K,text", L"K,\t text"})
    EXPECT_EQ(L"text", TextOf(Parsed(line), "s:K")) << testing::PrintToString(line);
}

TEST(LanguageText, TextsWithQuotesBlanksAndEscapes) {
  const TextRow rows[] = {
      {L"K text  \t", L"text"},
      {L"K \"  quoted  \"  ", L"  quoted  "},
      {L"K \\\"x\\\"", L"x"},
      {L"K \\t\\n\\r", L"\t\n\r"},
      {L"K \\\\server\\share", L"\\server\\share"},
      {L"K say \"hi\"", L"say \"hi"},
      {L"K \"", L""},
  };
  for (const TextRow& row : rows) EXPECT_EQ(row.text, TextOf(Parsed(row.line), "s:K")) << testing::PrintToString(row.line);
}

TEST(LanguageText, ATextIsCutAt65536Characters) {
  EXPECT_EQ(std::wstring(65536, L'z'), TextOf(Parsed(L"K " + std::wstring(70000, L'z') + L"\n"), "s:K"));
}

TEST(LanguageText, AKeyIsCutTo49Bytes) {
  EXPECT_EQ(L"cut", TextOf(Parsed(std::wstring(60, L'N') + L" cut\n"), "s:" + std::string(47, 'N')));
}

TEST(LanguageText, TheFirstOfTwoEqualKeysIsFound) {
  EXPECT_EQ(L"first", TextOf(Parsed(L"K first\nK second\n"), "s:K"));
}

TEST(LanguageText, DirectionRtlAsksForRightToLeft) {
  EXPECT_TRUE(Parsed(L":DIRECTION RTL\n").RightToLeft);
}

TEST(LanguageText, OtherDirectionLinesLeaveLeftToRight) {
  for (const wchar_t* text : {L":DIRECTION RTL\n:DIRECTION LTR\n", L":DIRECTION RTLX\n"})
    EXPECT_FALSE(Parsed(text).RightToLeft) << testing::PrintToString(text);
}
