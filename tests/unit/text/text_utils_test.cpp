#include <gtest/gtest.h>

#include <string>

#include "text/text_utils.h"

TEST(FormatString, WideFieldsFormatLineEndsGrowthAndFixedBuffers) {
  EXPECT_EQ(L"\"C:\\B x\\U.exe\" /wait\r\nx\ny\r\n", FormatString(L"\"%s\" /wait\n%s\r\n", L"C:\\B x\\U.exe", L"x\ny"));
  EXPECT_EQ(L"[Novità              ]100%s", FormatString(L"[%-20s]100%%s", L"Novità"));
  const std::wstring text300(300, L'x'), big(70000, L'y'), huge(300000, L'q');
  EXPECT_EQ(text300, FormatString(L"%s", text300.c_str()));
  EXPECT_EQ(big + L"!", FormatString(L"%s!", big.c_str()));
  EXPECT_EQ(huge.substr(0, 262143), FormatString(L"%s", huge.c_str()));
  wchar_t buffer[8];
  FormatStringFixed(buffer, 8, L"%s-%d", L"Bramix", 42);
  EXPECT_STREQ(L"Bramix-", buffer);
}

TEST(TextHelpers, ComparisonTrimNumbersAndBoundedCopies) {
  EXPECT_EQ(0, StrCompareNoCase(L"bramix", L"BRAMIX"));
  EXPECT_EQ(0, StrCompareNoCaseN(L"noexit", L"noexplorer", 4));
  EXPECT_EQ(0, StrCompareNoCaseN(L"SETUPx", L"setup", 5));
  EXPECT_NE(0, StrCompareNoCaseN(L"abc", L"abcd", 4));
  std::wstring line = L"  file.txt \t\r\n", blanks = L" \t\r\n ";
  TrimTrailingSpace(line);
  TrimTrailingSpace(blanks);
  EXPECT_EQ(L"  file.txt", line);
  EXPECT_EQ(L"", blanks);
  EXPECT_EQ(-12, TextToInt64(L"-12x"));
  EXPECT_EQ(0, TextToInt64(L"x12"));
  wchar_t dest[41] = L"##";
  CopyTextBounded(dest, L"abc", 0);
  EXPECT_STREQ(L"##", dest);
  CopyTextBounded(dest, L"abc", 1);
  EXPECT_EQ(std::wstring(L"\0#", 2), std::wstring(dest, 2));
  CopyTextBounded(dest, std::wstring(50, L'x').c_str(), 40);
  EXPECT_EQ(std::wstring(39, L'x'), dest);
}

TEST(GetEnvVar, ReadsValuesLongerThanItsFirstBuffer) {
  const std::wstring value(300, L'v');
  SetEnvironmentVariableW(L"UNINSTALL_TEST_VAR", value.c_str());
  std::wstring out;
  EXPECT_TRUE(GetEnvVar(L"UNINSTALL_TEST_VAR", out) && out == value);
  SetEnvironmentVariableW(L"UNINSTALL_TEST_VAR", nullptr);
}

TEST(StringList, ReturnsStringsInOrder) {
  StringList list;
  list.Add(L"first");
  list.Add(nullptr);
  list.Add(L"third");
  std::wstring out, seen;
  while (list.Next(out)) seen += out + L"|";
  EXPECT_EQ(L"first||third|", seen);
}
