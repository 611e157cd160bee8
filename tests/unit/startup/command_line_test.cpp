#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "integration/integration_options.h"
#include "startup/command_line.h"
#include "startup/run_state.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& text) {
  std::vector<std::wstring> arguments;
  std::wstring argument;
  size_t position = 0;
  while (GetNextArgument(text.c_str(), position, argument)) arguments.push_back(argument);
  return arguments;
}

// Leading quote marks are written doubled; the rest of the argument goes inside
// quotes with its own quote marks doubled (an opening quote directly before a
// literal one would read as a literal pair).
std::wstring Quote(const std::wstring& argument) {
  size_t leading = argument.find_first_not_of(L'"');
  if (leading == std::wstring::npos) leading = argument.size();
  std::wstring text;
  for (size_t i = 0; i < leading; ++i) text += L"\"\"";
  if (leading == argument.size()) return text;
  text += L'"';
  for (size_t i = leading; i < argument.size(); ++i) text += argument[i] == L'"' ? L"\"\"" : std::wstring(1, argument[i]);
  return text + L'"';
}

struct ParseResult {
  bool setup = false;
  bool uninstall = false;
};

// Never give these tests a switch beginning with "wa": the parser would sleep or
// show a box.
class CommandLine : public testing::Test {
 protected:
  void SetUp() override { RunState = RunStateRecord{}; }
  ParseResult Parse(const std::wstring& sfxcmd, const std::wstring& commandLine) {
    ParseResult result;
    ParseCommandLine(kSfxcmdPass, sfxcmd.c_str(), result.setup, result.uninstall);
    ParseCommandLine(kCommandLinePass, commandLine.c_str(), result.setup, result.uninstall);
    return result;
  }
};

}  // namespace

TEST(GetNextArgument, SplitsOnBlanksAndHonoursQuotes) {
  using Args = std::vector<std::wstring>;
  EXPECT_EQ(Args({L"a\"b"}), Split(L"\"a\"\"b\""));
  EXPECT_EQ(Args({L"a b"}), Split(L"\"a b\""));
  EXPECT_EQ(Args({L"C:\\Program Files\\Bramix\\Uninstall.exe", L"/s", L"x"}),
            Split(L"  \"C:\\Program Files\\Bramix\\Uninstall.exe\"\t/s   x  "));
  EXPECT_EQ(Args({L"pre fix", L"\"q\""}), Split(L"pre\" \"fix \"\"q\"\""));
  EXPECT_EQ(Args({L"a", L""}), Split(L"a \""));  // a lone quote at the end
  EXPECT_EQ(Args({L"open ended"}), Split(L"\"open ended"));
  EXPECT_EQ(Args(), Split(L""));
  EXPECT_EQ(Args(), Split(L" \t "));

  std::wstring argument = L"old";
  size_t position = 99;  // beyond the text
  EXPECT_FALSE(GetNextArgument(L"abc", position, argument));
  EXPECT_EQ(L"", argument);
  EXPECT_FALSE(GetNextArgument(nullptr, position, argument));
}

TEST(GetNextArgument, GivesBackWhatWasQuoted) {
  std::mt19937 random(20240611);
  const std::wstring alphabet = L"ab \t\"-/\\:àZ";
  for (int round = 0; round < 300; ++round) {
    std::vector<std::wstring> original(random() % 8);
    std::wstring text;
    for (std::wstring& argument : original) {
      size_t length = 1 + random() % 12;
      for (size_t i = 0; i < length; ++i) argument += alphabet[random() % alphabet.size()];
      text += random() % 2 ? L" " : L"\t ";
      text += Quote(argument);
    }
    EXPECT_EQ(original, Split(text)) << text;
  }
}

TEST_F(CommandLine, CountedSwitchesDecideTheMode) {
  EXPECT_TRUE(Parse(L"", L"C:\\Bramix\\Uninstall.exe").uninstall);
  EXPECT_TRUE(Parse(L"", L"").uninstall);
  EXPECT_TRUE(Parse(L"", L"Uninstall.exe setup").uninstall);  // a bare word is no switch

  ParseResult silent = Parse(L"", L"\"C:\\Program Files\\Bramix\\Uninstall.exe\" /S");
  EXPECT_TRUE(RunState.Silent);
  EXPECT_TRUE(silent.uninstall);

  SetUp();
  ParseResult setup = Parse(L"", L"Uninstall.exe -Setup -MSI");
  EXPECT_TRUE(setup.setup);
  EXPECT_FALSE(setup.uninstall);
  EXPECT_TRUE(RunState.Msi);
  EXPECT_FALSE(RunState.Silent);

  for (const wchar_t* noMode : {L"x /noexplorer", L"x /noexit", L"x -unknown", L"x -", L"x /set", L"x /extall",
                                L"x -silent", L"x /msiexec"}) {
    SetUp();
    ParseResult result = Parse(L"", noMode);
    EXPECT_FALSE(result.uninstall) << noMode;
    EXPECT_FALSE(result.setup) << noMode;
    EXPECT_FALSE(RunState.Silent) << noMode;
  }
  EXPECT_TRUE(RunState.Msi);  // the last one, -msiexec, begins with msi
}

TEST_F(CommandLine, SilentSwitchForms) {
  for (const wchar_t* form : {L"-s", L"/S", L"-s1", L"/s-", L"\"-s\""}) {
    SetUp();
    EXPECT_TRUE(Parse(L"", std::wstring(L"x ") + form).uninstall) << form;
    EXPECT_TRUE(RunState.Silent) << form;
  }
}

TEST_F(CommandLine, PackagePassOnlyAsksForSilenceAndExtAll) {
  ParseResult result = Parse(L"\"C:\\Temp\\Bramix Setup.exe\" -s -setup -msi -initA1 -extall", L"x /noexplorer");
  EXPECT_TRUE(RunState.Silent);
  EXPECT_TRUE(RunState.ExtAll);
  EXPECT_FALSE(RunState.Msi);
  EXPECT_STREQ(L"", RunState.InitData);
  EXPECT_FALSE(result.setup);
  EXPECT_FALSE(result.uninstall);

  SetUp();
  EXPECT_TRUE(Parse(L"-setup", L"Uninstall.exe").uninstall);

  SetUp();
  bool setup = true;
  bool uninstall = true;
  ParseCommandLine(kSfxcmdPass, L"", setup, uninstall);
  EXPECT_FALSE(uninstall);
  EXPECT_TRUE(setup);  // only set, never cleared
}

TEST_F(CommandLine, InitDataIsCutToItsBuffer) {
  Parse(L"", L"x /initA110000000000000000D1S1C0 -extall");
  EXPECT_STREQ(L"A110000000000000000D1S1C0", RunState.InitData);
  EXPECT_TRUE(RunState.ExtAll);
  Parse(L"", L"x \"/INIT" + std::wstring(40000, L'1') + L"\"");
  EXPECT_EQ(std::wstring(kInitDataMax, L'1'), RunState.InitData);
  Parse(L"", L"x /init");
  EXPECT_STREQ(L"", RunState.InitData);
}

TEST_F(CommandLine, HugeAndBrokenCommandLines) {
  std::wstring many = L"Uninstall.exe";
  for (int i = 0; i < 5000; ++i) many += i % 2 ? L" -s" : L" \"quoted arg\"";
  EXPECT_TRUE(Parse(L"", many).uninstall);
  EXPECT_TRUE(RunState.Silent);

  SetUp();
  std::wstring longArgument = L"x /" + std::wstring(40000, L'e');
  EXPECT_FALSE(Parse(longArgument, longArgument).uninstall);

  // Unbalanced quotes: the package's -s runs to the end of its text; on the command
  // line the doubled quote is a literal one, so the argument " /extall is no switch.
  SetUp();
  EXPECT_TRUE(Parse(L"\"-s", L"x \"\"\" \"/extall").uninstall);
  EXPECT_TRUE(RunState.Silent);
  EXPECT_FALSE(RunState.ExtAll);
}

TEST_F(CommandLine, RandomTextNeverSetsWhatItMayNot) {
  std::mt19937 random(77);
  const std::wstring alphabet = L" \t\"-/sSetupmixnlaA01D";  // no 'w': nothing waits or warns
  for (int round = 0; round < 2000; ++round) {
    std::wstring text;
    size_t length = random() % 40;
    for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    SetUp();
    bool setup = false;
    bool uninstall = true;
    ParseCommandLine(kSfxcmdPass, text.c_str(), setup, uninstall);
    EXPECT_FALSE(setup) << text;
    EXPECT_FALSE(uninstall) << text;
    EXPECT_FALSE(RunState.Msi) << text;
    EXPECT_EQ(L'\0', RunState.InitData[0]) << text;
    ParseCommandLine(kCommandLinePass, text.c_str(), setup, uninstall);
    EXPECT_FALSE(setup && uninstall) << text;
    EXPECT_LE(wcslen(RunState.InitData), kInitDataMax) << text;
  }
}

class InitData : public CommandLine {
 protected:
  IntegrationOptions Apply(const wchar_t* data, IntegrationOptions options = {}) {
    wcscpy(RunState.InitData, data);
    ApplyInitData(options);
    return options;
  }
};

TEST_F(InitData, SetsTheNamedOptionsAndKeepsTheRest) {
  IntegrationOptions stored;
  stored.Programs = true;
  stored.MenuIcons = true;
  stored.CascadedMenu = true;
  for (bool& format : stored.Formats) format = true;
  IntegrationOptions options = Apply(L"A110000000000000000D1S1C0", stored);
  EXPECT_TRUE(options.Formats[0]);
  EXPECT_TRUE(options.Formats[1]);
  for (size_t k = 2; k < 18; ++k) EXPECT_FALSE(options.Formats[k]) << k;
  EXPECT_TRUE(options.Formats[18]);  // beyond the digits given
  EXPECT_TRUE(options.Desktop);
  EXPECT_TRUE(options.ShellExt);
  EXPECT_FALSE(options.CascadedMenu);
  EXPECT_TRUE(options.Programs);
  EXPECT_TRUE(options.MenuIcons);
  EXPECT_FALSE(options.StartMenu);

  options = Apply(L"x1a10i1m2p1");
  EXPECT_TRUE(options.Formats[0]);
  EXPECT_FALSE(options.Formats[1]);
  EXPECT_TRUE(options.MenuIcons);
  EXPECT_FALSE(options.StartMenu);  // any value but 1 is off
  EXPECT_TRUE(options.Programs);
}

TEST_F(InitData, DigitRunsAndDanglingLetters) {
  // 21 digits: twenty flags, then the 21st digit is read as a letter with D as its value.
  IntegrationOptions options = Apply(L"A11111111111111111111" L"1D1");
  for (bool format : options.Formats) EXPECT_TRUE(format);
  EXPECT_FALSE(options.Desktop);

  options = Apply(L"D1S");  // a letter without a value is dropped
  EXPECT_TRUE(options.Desktop);
  EXPECT_FALSE(options.ShellExt);

  options = Apply(L"AD1");  // no digits after A: the next item starts at once
  EXPECT_TRUE(options.Desktop);

  IntegrationOptions stored;
  stored.Desktop = true;
  options = Apply(L"", stored);
  EXPECT_TRUE(options.Desktop);
}
