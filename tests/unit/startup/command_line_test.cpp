#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "integration/integration_options.h"
#include "environment/run_state.h"
#include "integration/init_data.h"
#include "support/scoped_state.h"

namespace {

// What a parse of the command line asked for.
struct Outcome {
  bool setup = false;
  bool uninstall = false;
  bool silent = false;
  bool msi = false;
  bool extall = false;
  std::wstring init;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
  *os << "{setup " << outcome.setup << ", uninstall " << outcome.uninstall << ", silent " << outcome.silent
      << ", msi " << outcome.msi << ", extall " << outcome.extall << ", init "
      << testing::PrintToString(outcome.init) << "}";
}

// From a fresh run state. No "wa" switches here: they sleep or warn.
Outcome Parse(const std::wstring& commandLine) {
  const ScopedRunState fresh;
  Outcome outcome;
  ParseCommandLine(kCommandLinePass, commandLine.c_str(), outcome.setup, outcome.uninstall);
  outcome.silent = RunState.Silent;
  outcome.msi = RunState.Msi;
  outcome.extall = RunState.ExtAll;
  outcome.init = RunState.InitData;
  return outcome;
}

struct ParseRow {
  std::wstring line;
  Outcome outcome;
};

void ExpectOutcomes(const ParseRow* rows, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(testing::PrintToString(rows[i].line.substr(0, 80)));
    EXPECT_EQ(rows[i].outcome, Parse(rows[i].line));
  }
}

IntegrationOptions Apply(const wchar_t* data, IntegrationOptions options = {}) {
  const ScopedRunState fresh;
  wcscpy(WritableRunState().InitData, data);
  ApplyInitData(options);
  return options;
}

}  // namespace

TEST(ParseCommandLine, SilentSwitchesAreAnSAndThenNoLetter) {
  const ParseRow rows[] = {
      {L"x /S", {.uninstall = true, .silent = true}},
      {L"x -s1", {.uninstall = true, .silent = true}},
      {L"x -silent", {}},
  };
  ExpectOutcomes(rows, std::size(rows));
}

TEST(ParseCommandLine, SwitchesMatchTheirLeadingCharactersInAnyCase) {
  const ParseRow rows[] = {
      {L"x /SETUP -Msi", {.setup = true, .msi = true}},
      {L"x /set", {}},
      {L"x /" + std::wstring(40000, L'e'), {}},
  };
  ExpectOutcomes(rows, std::size(rows));
}

TEST(ParseCommandLine, TheInitSwitchKeepsItsData) {
  const ParseRow rows[] = {
      {L"x\t\"/inita\"\"b c\"", {.init = L"a\"b c"}},
      {L"x /initA110000000000000000D1S1C0 -extall", {.extall = true, .init = L"A110000000000000000D1S1C0"}},
      {L"x \"/INIT" + std::wstring(40000, L'1') + L"\"", {.init = std::wstring(kInitDataMax, L'1')}},
  };
  ExpectOutcomes(rows, std::size(rows));
}

TEST(ApplyInitData, ALetterWithoutAValueIsDropped) {
  IntegrationOptions stored;
  stored.ShellExt = true;
  const IntegrationOptions options = Apply(L"C1S", stored);
  EXPECT_TRUE(options.CascadedMenu);
  EXPECT_TRUE(options.ShellExt);
}

TEST(ApplyInitData, LettersAreReadInAnyCase) {
  const IntegrationOptions options = Apply(L"a1i1");
  EXPECT_TRUE(options.Formats[0]);
  EXPECT_TRUE(options.MenuIcons);
}

TEST(ApplyInitData, AnUnknownLetterIsSkippedWithItsValue) {
  const IntegrationOptions options = Apply(L"XDM1");
  EXPECT_FALSE(options.Desktop);
  EXPECT_TRUE(options.StartMenu);
}

TEST(ApplyInitData, AtMostTwentyFormatDigitsAreRead) {
  const IntegrationOptions options = Apply(L"A111111111111111111111D1");  // the 21st digit is read as a letter
  EXPECT_TRUE(options.Formats[19]);
  EXPECT_FALSE(options.Desktop);
}
