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

}  // namespace

TEST(LanguageText, TextsWithQuotesBlanksAndEscapes) {
  const struct {
    const wchar_t* line;
    std::wstring text;
  } rows[] = {
      {L"K text  \t", L"text"},
      {L"K \"  quoted  \"  ", L"  quoted  "},
      {L"K \\\"x\\\"", L"x"},
      {L"K \\t\\n\\r", L"\t\n\r"},
      {L"K \\\\server\\share", L"\\server\\share"},
      {L"K say \"hi\"", L"say \"hi"},
      {L"K \"", L""},
  };
  for (const auto& row : rows) EXPECT_EQ(row.text, TextOf(Parsed(row.line), "s:K")) << testing::PrintToString(row.line);
}

TEST(LanguageText, ATextIsCutAt65536Characters) {
  EXPECT_EQ(std::wstring(65536, L'z'), TextOf(Parsed(L"K " + std::wstring(70000, L'z') + L"\n"), "s:K"));
}

TEST(LanguageText, AKeyIsCutTo49Bytes) {
  EXPECT_EQ(L"cut", TextOf(Parsed(std::wstring(60, L'N') + L" cut\n"), "s:" + std::string(47, 'N')));
}
