// The help viewer's retry with the short path.
#include "environment/help_viewer.h"

#include <gtest/gtest.h>

#include "support/html_help_recorder.h"
#include "support/temp_folder.h"

namespace {

using HelpViewer = TempFolderTest;

TEST_F(HelpViewer, FailedCallIsRepeatedOnceWithTheShortPath) {
  const std::wstring helpFile = Path(L"Guida \u0416 lunga\\bramix.chm");
  WriteBytes(helpFile, "help");
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameW(helpFile.c_str(), shortPath, MAX_PATH));
  const ScopedHtmlHelpRecorder recorder(helpFile);
  ShowHelp(L"HELPContextItems");
  const std::wstring page = L"::/html/HELPContextItems.htm";
  ASSERT_EQ(2u, ScopedHtmlHelpRecorder::Calls().size());
  EXPECT_EQ(helpFile + page, ScopedHtmlHelpRecorder::Calls()[0].Address);
  EXPECT_EQ(shortPath + page, ScopedHtmlHelpRecorder::Calls()[1].Address);
}

}  // namespace
