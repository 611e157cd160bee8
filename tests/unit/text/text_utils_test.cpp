#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "text/text_utils.h"

TEST(FormatString, WideFieldsAndCrLfLineEnds) {
  EXPECT_EQ(L"a\r\nb", FormatString(L"a\nb"));
  EXPECT_EQ(L"a\r\nb", FormatString(L"a\r\nb"));
  EXPECT_EQ(L"\"C:\\x y\\Uninstall.exe\" /wait\r\n", FormatString(L"\"%s\" /wait\n", L"C:\\x y\\Uninstall.exe"));
  EXPECT_EQ(L"x\ny", FormatString(L"%s", L"x\ny"));  // line feeds of the arguments stay
  EXPECT_EQ(L"Software\\Bramix\\A\\B", FormatString(L"Software\\Bramix%s%s", L"\\A", L"\\B"));
  EXPECT_EQ(L"7.01.3", FormatString(L"%d.%02d.%d", 7, 1, 3));
  EXPECT_EQ(L"[ab   ][  cd]", FormatString(L"[%-5s][%4s]", L"ab", L"cd"));
  EXPECT_EQ(L"100%s", FormatString(L"100%%s"));
  EXPECT_EQ(L"Novità", FormatString(L"%s", L"Novità"));
}

TEST(FormatString, GrowsUpToItsLimitAndCutsThere) {
  const std::wstring text300(300, L'x');
  EXPECT_EQ(text300, FormatString(L"%s", text300.c_str()));
  std::wstring big(70000, L'y');
  big[69999] = L'z';
  EXPECT_EQ(big + L"!", FormatString(L"%s!", big.c_str()));
  const std::wstring huge(300000, L'q');
  EXPECT_EQ(huge.substr(0, 262143), FormatString(L"%s", huge.c_str()));
  std::wstring same = L"inner";
  EXPECT_EQ(L"<inner>", FormatString(same, L"<%s>", same.c_str()));
  EXPECT_EQ(L"<inner>", same);
}

TEST(FormatStringFixed, CutsToTheBufferAndTakesWideStrings) {
  wchar_t buffer[8];
  FormatStringFixed(buffer, 8, L"%s-%d", L"Bramix", 42);
  EXPECT_STREQ(L"Bramix-", buffer);
  FormatStringFixed(buffer, 8, L"%s", L"ok");
  EXPECT_STREQ(L"ok", buffer);
  buffer[0] = L'#';
  FormatStringFixed(buffer, 0, L"%s", L"ok");
  EXPECT_EQ(L'#', buffer[0]);
}

TEST(StrCompareNoCase, IgnoresCaseAndHonoursTheCount) {
  EXPECT_EQ(0, StrCompareNoCase(L"bramix", L"BRAMIX"));
  EXPECT_EQ(0, StrCompareNoCase(L"novità", L"NOVITÀ"));
  EXPECT_EQ(-1, StrCompareNoCase(L"abc", L"ABD"));
  EXPECT_EQ(1, StrCompareNoCase(L"b", L"A"));
  EXPECT_EQ(0, StrCompareNoCaseN(L"noexit", L"noexplorer", 4));
  EXPECT_EQ(0, StrCompareNoCaseN(L"SETUPx", L"setup", 5));
  EXPECT_NE(0, StrCompareNoCaseN(L"abc", L"abcd", 4));
  EXPECT_NE(0, StrCompareNoCaseN(L"set", L"setup", 5));
  EXPECT_NE(0, StrCompareNoCaseN(L"", L"msi", 3));
}

TEST(ToUpperChar, ConvertsOneCharacterThroughTheSystem) {
  EXPECT_EQ(L'S', ToUpperChar(L's'));
  EXPECT_EQ(L'S', ToUpperChar(L'S'));
  EXPECT_EQ(L'À', ToUpperChar(L'à'));
  EXPECT_EQ(L'1', ToUpperChar(L'1'));
  EXPECT_EQ(L'\0', ToUpperChar(L'\0'));
}

TEST(AnsiConversion, RoundTripsAndAlwaysTerminates) {
  const std::string ansi = WideToAnsiString(L"Novità.txt");
  EXPECT_EQ(10u, ansi.size());
  EXPECT_EQ(L"Novità.txt", AnsiToWideString(ansi));
  EXPECT_EQ("", WideToAnsiString(L""));

  char small[4];
  EXPECT_FALSE(WideToAnsi(L"too long", small, sizeof(small)));
  EXPECT_LT(strlen(small), sizeof(small));
  wchar_t wide[4];
  EXPECT_FALSE(AnsiToWide("too long", wide, 4));
  EXPECT_LT(wcslen(wide), 4u);
  EXPECT_TRUE(AnsiToWide("abc", wide, 4));
  EXPECT_STREQ(L"abc", wide);
}

TEST(TrimTrailingSpace, RemovesOnlyTrailingBlanks) {
  std::wstring line = L"  file.txt \t\r\n";
  TrimTrailingSpace(line);
  EXPECT_EQ(L"  file.txt", line);
  std::wstring blanks = L" \t\r\n ";
  TrimTrailingSpace(blanks);
  EXPECT_EQ(L"", blanks);
}

TEST(CopyTextBounded, KeepsWithinTheBuffer) {
  wchar_t dest[41];
  dest[1] = L'#';
  CopyTextBounded(dest, L"abc", 1);
  EXPECT_EQ(L'\0', dest[0]);
  EXPECT_EQ(L'#', dest[1]);
  CopyTextBounded(dest, std::wstring(50, L'x').c_str(), 40);
  EXPECT_EQ(std::wstring(39, L'x'), dest);
  dest[0] = L'#';
  CopyTextBounded(dest, L"abc", 0);
  EXPECT_EQ(L'#', dest[0]);

  char narrow[100] = "key=";
  CopyTextBounded(narrow, "value");
  EXPECT_STREQ("key=value", narrow);
  CopyTextBounded(narrow, std::string(200, 'v').c_str());
  EXPECT_EQ(99u, strlen(narrow));
  CopyTextBounded(narrow, "more");
  EXPECT_EQ(99u, strlen(narrow));
}

TEST(DecimalNumbers, ReadAndWrite) {
  EXPECT_EQ(-12, TextToInt64(L"-12x"));
  EXPECT_EQ(0, TextToInt64(L"x12"));
  EXPECT_EQ(0, TextToInt64(L" 12"));
  EXPECT_EQ(0, TextToInt64(L"-"));
  EXPECT_EQ(4294967295LL, TextToInt64(L"4294967295"));
  EXPECT_EQ(LLONG_MAX, TextToInt64(L"9223372036854775807"));
  TextToInt64(L"99999999999999999999999999999999");  // wraps without a fault

  wchar_t buffer[21];
  for (int64_t value : {int64_t{0}, int64_t{-5}, int64_t{4294967295}, int64_t{LLONG_MAX}, int64_t{LLONG_MIN}}) {
    Int64ToText(value, buffer);
    EXPECT_EQ(std::to_wstring(value), buffer);
  }
}

TEST(Environment, ReadsAndExpandsValuesOfAnyLength) {
  const std::wstring value300(300, L'v');
  SetEnvironmentVariableW(L"UNINSTALL_TEST_VAR", value300.c_str());
  std::wstring out = L"unchanged";
  EXPECT_TRUE(GetEnvVar(L"UNINSTALL_TEST_VAR", out));
  EXPECT_EQ(value300, out);

  std::wstring text = L"%UNINSTALL_TEST_VAR%\\x";
  EXPECT_TRUE(ExpandEnvVars(text));
  EXPECT_EQ(value300 + L"\\x", text);

  SetEnvironmentVariableW(L"UNINSTALL_TEST_VAR", L"");
  out = L"unchanged";
  EXPECT_FALSE(GetEnvVar(L"UNINSTALL_TEST_VAR", out));
  SetEnvironmentVariableW(L"UNINSTALL_TEST_VAR", nullptr);
  EXPECT_FALSE(GetEnvVar(L"UNINSTALL_TEST_VAR", out));
  EXPECT_EQ(L"unchanged", out);
}

TEST(StringList, ReturnsStringsInOrderUntilReset) {
  StringList list;
  list.Add(L"first");
  list.Add(nullptr);
  list.Add(std::wstring(L"third"));
  EXPECT_EQ(3u, list.Count());
  std::wstring out;
  ASSERT_TRUE(list.Next(out));
  EXPECT_EQ(L"first", out);
  ASSERT_TRUE(list.Next(out));
  EXPECT_EQ(L"", out);
  ASSERT_TRUE(list.Next(out));
  EXPECT_EQ(L"third", out);
  EXPECT_FALSE(list.Next(out));
  list.Reset();
  EXPECT_EQ(0u, list.Count());
  EXPECT_FALSE(list.Next(out));
}
