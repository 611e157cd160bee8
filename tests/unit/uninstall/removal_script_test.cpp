#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "support/temp_folder.h"
#include "uninstall/removal_script.h"
#include "uninstall/uninstall_run.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(text.size(), start) << "text after the last line end";
  return lines;
}

std::vector<std::wstring> ExpectedLines(const std::wstring& u, const std::wstring& d, const std::wstring& b,
                                        bool silent) {
  std::vector<std::wstring> lines{L"\"" + u + L"\" /wait"};
  for (int i = 0; i < 5; ++i)
    lines.insert(lines.end(), {L"del \"" + u + L"\"", L"rd \"" + d + L"\"", L"if not exist \"" + u + L"\" goto done"});
  lines.push_back(L":done");
  if (!silent) lines.push_back(L"if exist \"" + u + L"\" \"" + u + L"\" /warning");
  lines.push_back(L"del \"" + b + L"\"");
  return lines;
}

}  // namespace

class RemovalScript : public TempFolderTest {};

TEST_F(RemovalScript, NormalAndSilentLineByLineWithDoubledPercentAndShortForms) {
  const std::wstring d = L"C:\\Program Files\\Bramix 100% %PATH%", b = L"C:\\users\\me\\Temp\\Uninstall_Zpk.Bat";
  const std::wstring doubled = L"C:\\Program Files\\Bramix 100%% %%PATH%%";
  for (bool silent : {false, true}) {
    const std::vector<std::wstring> lines = Lines(MakeRemovalScriptText(d + L"\\Uninstall.exe", d, b, silent));
    EXPECT_EQ(silent ? 18u : 19u, lines.size());
    EXPECT_EQ(ExpectedLines(doubled + L"\\Uninstall.exe", doubled, b, silent), lines);
  }
  const std::wstring folder = Path(L"Bramix \u00e8 \u03b1\u03b2\u03b3"), exe = folder + L"\\Uninstall.exe";
  WriteBytes(exe, "x");
  for (const std::wstring& path : {folder, exe}) {
    const std::wstring spelt = ScriptPathText(path);
    EXPECT_TRUE(std::all_of(spelt.begin(), spelt.end(), [](wchar_t c) { return c <= 0x7F; })) << spelt;
    wchar_t longForm[MAX_PATH];
    ASSERT_NE(0u, GetLongPathNameW(spelt.c_str(), longForm, MAX_PATH));
    EXPECT_EQ(0, _wcsicmp(path.c_str(), longForm));
  }
  EXPECT_EQ(ExpectedLines(ScriptPathText(exe), ScriptPathText(folder), b, false),
            Lines(MakeRemovalScriptText(exe, folder, b, false)));
}

TEST(UninstallList, EntriesThatClimbOutOfTheFolder) {
  for (const wchar_t* inside : {L"a.txt", L"sub\\..\\a.txt", L"sub/x/../../a", L".\\a", L"a\\.\\..", L"...txt"})
    EXPECT_FALSE(EntryLeavesFolder(inside)) << inside;
  for (const wchar_t* outside : {L"..", L"..\\outside.txt", L"../x", L"sub\\..\\..\\x", L".\\..\\x",
                                 L"a\\..\\b\\..\\..\\x", L"sub\\...\\..\\..\\x", L".. \\x"})
    EXPECT_TRUE(EntryLeavesFolder(outside)) << outside;
}
