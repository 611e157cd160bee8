#include "text/text_utils.h"

#include <gtest/gtest.h>

#include <string>

#include "support/wine_program.h"

TEST(FormatString, LineFeedsOfTheFormatBecomeCrLf) {
  EXPECT_EQ(L"a\r\nb\r\n", FormatString(L"a\n%s\r\n", L"b"));
}

TEST(FormatString, AHugeResultIsCutAt262143Characters) {
  const std::wstring huge(300000, L'q');
  EXPECT_EQ(huge.substr(0, 262143), FormatString(L"%s", huge.c_str()));
}

TEST(GetEnvVar, ReadsValuesLongerThanItsFirstBuffer) {
  const std::wstring value(300, L'v');
  ScopedEnvVar variable(L"UNINSTALL_TEST_VAR", value.c_str());
  std::wstring out;
  EXPECT_TRUE(GetEnvVar(L"UNINSTALL_TEST_VAR", out));
  EXPECT_EQ(value, out);
}
