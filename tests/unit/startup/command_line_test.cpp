#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "environment/run_state.h"
#include "support/scoped_state.h"

namespace {

// The run state that a parse from a fresh one leaves. No "wa" switches here: they sleep or warn.
RunStateRecord Parsed(const std::wstring& commandLine) {
  const ScopedRunState fresh;
  bool setupRequested = false;
  bool uninstallRequested = false;
  ParseCommandLine(kCommandLinePass, commandLine.c_str(), setupRequested, uninstallRequested);
  return RunState;
}

}  // namespace

TEST(ParseCommandLine, SilentSwitchesAreAnSAndThenNoLetter) {
  const struct {
    const wchar_t* line;
    bool silent;
  } rows[] = {
      {L"x /S", true},
      {L"x -s1", true},
      {L"x -silent", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.line));
    EXPECT_EQ(row.silent, Parsed(row.line).Silent);
  }
}

TEST(ParseCommandLine, TheInitSwitchKeepsItsData) {
  const struct {
    const char* name;
    std::wstring line;
    std::wstring init;
  } rows[] = {
      {"quoted, with a doubled quote", L"x\t\"/inita\"\"b c\"", L"a\"b c"},
      {"upper case, before another switch", L"x /INITA110000000000000000D1S1C0 -extall", L"A110000000000000000D1S1C0"},
      {"40,000 characters", L"x \"/init" + std::wstring(40000, L'1') + L"\"", std::wstring(kInitDataMax, L'1')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.init, Parsed(row.line).InitData);
  }
}
