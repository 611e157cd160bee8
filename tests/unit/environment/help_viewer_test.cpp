// The help viewer: what it asks of the HTML help control, and that the control
// really shows the built help file.
#include "environment/help_viewer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "environment/paths.h"
#include "support/html_help_recorder.h"
#include "support/temp_folder.h"

namespace {

std::wstring& ResolvedHelpFile() {
  static std::wstring path;
  return path;
}

void ResolveToChosenFile(const std::wstring&, std::wstring& out) { out = ResolvedHelpFile(); }

class HelpViewerTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(recorder_.Patched());
  }
  // Makes the help viewer open `path` (created here) instead of the file beside the program.
  void UseHelpFile(const std::wstring& path) {
    WriteBytes(path, "help");
    ResolvedHelpFile() = path;
    SetHelpPathResolver(ResolveToChosenFile);
  }
  ScopedHtmlHelpRecorder recorder_;
};

struct TopicRow {
  const wchar_t* Topic;
  const wchar_t* AddressAfterFile;
  UINT Command;  // 0 shows a page, 1 the table of contents
};

TEST_F(HelpViewerTest, TopicOpensItsPageOrTheContentsOfTheHelpFileBesideTheProgram) {
  const TopicRow rows[] = {
      {L"HELPContextItems", L"::/html/HELPContextItems.htm", 0},
      {L"HELPIntegrationSettings#opt", L"::/html/HELPIntegrationSettings.htm#opt", 0},
      {L"A#b#c", L"::/html/A#b.htm#c", 0},
      {L"", L"", 1},
  };
  for (const TopicRow& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.Topic)));
    ScopedHtmlHelpRecorder::Calls().clear();
    ShowHelp(row.Topic);
    ASSERT_EQ(1u, ScopedHtmlHelpRecorder::Calls().size());
    EXPECT_EQ(GetModuleFolderFile(L"bramix.chm") + row.AddressAfterFile, ScopedHtmlHelpRecorder::Calls()[0].Address);
    EXPECT_EQ(row.Command, ScopedHtmlHelpRecorder::Calls()[0].Command);
  }
}

TEST_F(HelpViewerTest, FailedCallIsRepeatedOnceWithTheShortPath) {
  const std::wstring path = Path(L"Guida \u0416 lunga\\bramix.chm");
  UseHelpFile(path);
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameW(path.c_str(), shortPath, MAX_PATH));
  ShowHelp(L"HELPContextItems");
  ASSERT_EQ(2u, ScopedHtmlHelpRecorder::Calls().size());
  EXPECT_EQ(path + L"::/html/HELPContextItems.htm", ScopedHtmlHelpRecorder::Calls()[0].Address);
  EXPECT_EQ(std::wstring(shortPath) + L"::/html/HELPContextItems.htm", ScopedHtmlHelpRecorder::Calls()[1].Address);
}

TEST_F(HelpViewerTest, PathTheAnsiCodePageSpellsIsNotRetried) {
  UseHelpFile(Path(L"Guida lunga di Bramix\\bramix.chm"));
  ShowHelp(L"HELPContextItems");
  EXPECT_EQ(1u, ScopedHtmlHelpRecorder::Calls().size());
}

// The real help control, with the help file built beside the test programs.
TEST(HelpViewerUnderWine, HelpWindowAppearsForTheBuiltHelpFile) {
  HelpViewerState saved = WritableHelpViewerState();
  WritableHelpViewerState() = HelpViewerState{};
  ShowHelp(L"HELPIntegrationSettings");
  const HWND help = FindWindowW(L"HH Parent", nullptr);
  wchar_t title[100] = {};
  if (help != nullptr) {
    GetWindowTextW(help, title, 100);
    DestroyWindow(help);
  }
  WritableHelpViewerState() = saved;
  EXPECT_STREQ(L"Guida a Bramix", title);
}

}  // namespace
