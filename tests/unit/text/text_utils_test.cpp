#include "text/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/wine_program.h"

TEST(FormatString, LineFeedsOfTheFormatBecomeCrLf) {
  EXPECT_EQ(L"a\r\nb\r\n", FormatString(L"a\n%s\r\n", L"b"));
}

TEST(FormatString, LineFeedsOfAFieldStayAsTheyAre) { EXPECT_EQ(L"x\ny", FormatString(L"%s", L"x\ny")); }

TEST(FormatString, AHugeResultIsCutAt262143Characters) {
  const std::wstring huge(300000, L'q');
  EXPECT_EQ(huge.substr(0, 262143), FormatString(L"%s", huge.c_str()));
}

TEST(CopyTextBounded, ASizeOfZeroWritesNothing) {
  wchar_t dest[4] = L"##";
  CopyTextBounded(dest, L"abc", 0);
  EXPECT_STREQ(L"##", dest);
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
