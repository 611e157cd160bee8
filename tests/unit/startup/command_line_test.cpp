#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>

#include "integration/init_data.h"
#include "integration/integration_options.h"
#include "startup/command_line.h"
#include "support/scoped_state.h"

namespace {

// Both passes from a fresh run state, told in words ("uninstall silent"). No "wa" switches: they sleep or warn.
std::wstring Parse(const std::wstring& sfxcmd, const std::wstring& commandLine) {
  const ScopedRunState fresh;
  bool setup = false, uninstall = false;
  ParseCommandLine(kSfxcmdPass, sfxcmd.c_str(), setup, uninstall);
  ParseCommandLine(kCommandLinePass, commandLine.c_str(), setup, uninstall);
  std::wstring outcome = std::wstring(setup ? L" setup" : L"") + (uninstall ? L" uninstall" : L"") +
                         (RunState.Silent ? L" silent" : L"") + (RunState.Msi ? L" msi" : L"") +
                         (RunState.ExtAll ? L" extall" : L"") + (RunState.InitData[0] ? L" init=" : L"");
  return outcome.empty() ? L"none" : outcome.substr(1) + RunState.InitData;
}

IntegrationOptions Apply(const wchar_t* data, IntegrationOptions options = {}) {
  const ScopedRunState fresh;
  wcscpy(WritableRunState().InitData, data);
  ApplyInitData(options);
  return options;
}

}  // namespace

TEST(GetNextArgument, ALoneQuoteAtTheEndIsAnEmptyArgumentAndTrailingBlanksAreNone) {
  std::wstring argument = L"old";
  size_t position = 1;
  EXPECT_TRUE(GetNextArgument(L"a \"", position, argument) && argument.empty());
  EXPECT_FALSE(GetNextArgument(L"a \t ", position = 1, argument));
}

TEST(ParseCommandLine, SwitchTableAndCounting) {
  std::wstring many = L"Uninstall.exe", tooLong = L"x /" + std::wstring(40000, L'e');
  for (int i = 0; i < 5000; ++i) many += i % 2 ? L" -s" : L" \"quoted arg\"";
  const struct { std::wstring sfxcmd, line, outcome; } cases[] = {
      {L"", L"", L"uninstall"},
      {L"", L"\"C:\\Program Files\\Bramix\\Uninstall.exe\" setup /S -s1 /s- \"-s\"", L"uninstall silent"},
      {L"", L"x /SETUP -Msi", L"setup msi"},
      {L"", L"x /setupfoo -msiexec", L"setup msi"},
      {L"", L"x /set", L"none"},
      {L"", L"x -silent", L"none"},
      {L"", L"x\t\"/inita\"\"b c\"", L"init=a\"b c"},
      {L"", L"x /initA110000000000000000D1S1C0 -extall", L"extall init=A110000000000000000D1S1C0"},
      {L"", L"x \"/INIT" + std::wstring(40000, L'1') + L"\"", L"init=" + std::wstring(kInitDataMax, L'1')},
      {L"\"C:\\Temp\\Bramix Setup.exe\" -s -setup -msi -initA1 -extall", L"x /noexplorer", L"silent extall"},
      {L"-setup", L"x", L"uninstall"},
      {L"\"-s", L"x \"\"\" \"/extall", L"uninstall silent"},  // unbalanced: the last argument is no switch
      {many, many, L"uninstall silent"},
      {tooLong, tooLong, L"none"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.outcome, Parse(c.sfxcmd, c.line)) << c.line.substr(0, 80);
}

TEST(ParseCommandLine, RandomTextNeverSetsWhatItMayNot) {
  std::mt19937 random(77);
  const std::wstring alphabet = L" \t\"-/sSetupmixnlaA01DC";  // no 'w': nothing waits or warns
  for (int round = 0; round < 3000; ++round) {
    std::wstring text;
    for (size_t length = random() % 60; length > 0; --length) text += alphabet[random() % alphabet.size()];
    EXPECT_TRUE(std::regex_match(Parse(text, L""), std::wregex(L"uninstall( silent)?( extall)?"))) << text;
    EXPECT_EQ(std::wstring::npos, Parse(L"", text).find(L"setup uninstall")) << text;
    EXPECT_FALSE(Apply(text.substr(0, kInitDataMax).c_str()).LegacyMenu) << text;
  }
}

TEST(ApplyInitData, SetsTheNamedOptionsAndKeepsTheRest) {
  IntegrationOptions stored;
  stored.Programs = stored.CascadedMenu = stored.StartMenu = true;
  for (bool& format : stored.Formats) format = true;
  IntegrationOptions options = Apply(L"A110000000000000000D1S1C0", stored);  // 18 digits
  for (size_t k = 0; k < kFormatFlags; ++k) EXPECT_EQ(k < 2 || k >= 18, options.Formats[k]) << k;
  EXPECT_TRUE(options.Desktop && options.ShellExt && options.Programs && options.StartMenu && !options.CascadedMenu);
  IntegrationOptions again = Apply(L"C1S", options);  // a letter without a value is dropped
  EXPECT_TRUE(again.CascadedMenu && again.ShellExt);
  options = Apply(L"X1a10i1m2", stored);  // X is no option; any value but 1 is off
  EXPECT_TRUE(options.Formats[0] && !options.Formats[1] && options.MenuIcons && !options.StartMenu);
  options = Apply(L"A111111111111111111111D1");  // the 21st digit is read as a letter with D as its value
  EXPECT_TRUE(options.Formats[19] && !options.Desktop);
}
