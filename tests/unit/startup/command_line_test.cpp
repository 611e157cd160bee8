#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "environment/run_state.h"
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
