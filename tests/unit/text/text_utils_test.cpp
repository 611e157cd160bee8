#include "text/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/wine_program.h"

TEST(FormatString, WideFieldsAreInserted) {
  EXPECT_EQ(L"\"C:\\B x\\U.exe\" /wait", FormatString(L"\"%s\" /wait", L"C:\\B x\\U.exe"));
}

TEST(FormatString, LineFeedsOfTheFormatBecomeCrLf) {
  EXPECT_EQ(L"a\r\nb\r\n", FormatString(L"a\n%s\r\n", L"b"));
}

TEST(FormatString, LineFeedsOfAFieldStayAsTheyAre) { EXPECT_EQ(L"x\ny", FormatString(L"%s", L"x\ny")); }

TEST(FormatString, WidthsAndPercentSignsFollowTheFormat) {
  EXPECT_EQ(L"[Novità              ]100%s", FormatString(L"[%-20s]100%%s", L"Novità"));
}

TEST(FormatString, ResultsGrowBeyondTheFirstBuffer) {
  for (size_t length : {300, 70000}) {
    const std::wstring text(length, L'y');
    EXPECT_EQ(text + L"!", FormatString(L"%s!", text.c_str())) << length << " characters";
  }
}

TEST(FormatString, AHugeResultIsCutAt262143Characters) {
  const std::wstring huge(300000, L'q');
  EXPECT_EQ(huge.substr(0, 262143), FormatString(L"%s", huge.c_str()));
}

TEST(FormatStringFixed, AResultIsCutToTheBuffer) {
  wchar_t buffer[8];
  FormatStringFixed(buffer, 8, L"%s-%d", L"Bramix", 42);
  EXPECT_STREQ(L"Bramix-", buffer);
}

TEST(StrCompareNoCase, CaseDoesNotMatter) { EXPECT_EQ(0, StrCompareNoCase(L"bramix", L"BRAMIX")); }

TEST(StrCompareNoCaseN, OnlyTheLeadingCharactersAreCompared) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    size_t count;
    bool equal;
  } rows[] = {
      {L"noexit", L"noexplorer", 4, true},
      {L"SETUPx", L"setup", 5, true},
      {L"abc", L"abcd", 4, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.equal, StrCompareNoCaseN(row.a, row.b, row.count) == 0)
        << testing::PrintToString(row.a) << " and " << testing::PrintToString(row.b) << " for " << row.count;
  }
}

TEST(TrimTrailingSpace, TrailingBlanksAndLineEndsGoLeadingOnesStay) {
  std::wstring line = L"  file.txt \t\r\n";
  TrimTrailingSpace(line);
  EXPECT_EQ(L"  file.txt", line);
}

TEST(TrimTrailingSpace, AllBlankTextBecomesEmpty) {
  std::wstring blanks = L" \t\r\n ";
  TrimTrailingSpace(blanks);
  EXPECT_EQ(L"", blanks);
}

TEST(TextToInt64, DigitsAreReadUpToTheFirstOther) {
  const struct {
    const wchar_t* text;
    int64_t number;
  } rows[] = {{L"-12x", -12}, {L"x12", 0}};
  for (const auto& row : rows) EXPECT_EQ(row.number, TextToInt64(row.text)) << testing::PrintToString(row.text);
}

TEST(CopyTextBounded, ASizeOfZeroWritesNothing) {
  wchar_t dest[4] = L"##";
  CopyTextBounded(dest, L"abc", 0);
  EXPECT_STREQ(L"##", dest);
}

TEST(CopyTextBounded, ASizeOfOneWritesOnlyTheTerminator) {
  wchar_t dest[4] = L"##";
  CopyTextBounded(dest, L"abc", 1);
  EXPECT_EQ(std::wstring(L"\0#", 2), std::wstring(dest, 2));
}

TEST(CopyTextBounded, ALongTextIsCutToSizeLessOne) {
  wchar_t dest[41];
  CopyTextBounded(dest, std::wstring(50, L'x').c_str(), 40);
  EXPECT_EQ(std::wstring(39, L'x'), dest);
}

TEST(GetEnvVar, ReadsValuesLongerThanItsFirstBuffer) {
  const std::wstring value(300, L'v');
  ScopedEnvVar variable(L"UNINSTALL_TEST_VAR", value.c_str());
  std::wstring out;
  EXPECT_TRUE(GetEnvVar(L"UNINSTALL_TEST_VAR", out));
  EXPECT_EQ(value, out);
}

TEST(StringList, ReturnsStringsInOrderWithNullAsEmpty) {
  StringList list;
  list.Add(L"first");
  list.Add(nullptr);
  list.Add(L"third");
  std::vector<std::wstring> seen;
  for (std::wstring out; list.Next(out);) seen.push_back(out);
  EXPECT_EQ((std::vector<std::wstring>{L"first", L"", L"third"}), seen);
}
