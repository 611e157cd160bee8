#include <gtest/gtest.h>
#include <windows.h>

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

std::vector<std::wstring> ExpectedLines(const std::wstring& u, const std::wstring& d, bool silent) {
  std::vector<std::wstring> lines{L"\"" + u + L"\" /wait"};
  for (int i = 0; i < 5; ++i)
    lines.insert(lines.end(), {L"del \"" + u + L"\"", L"rd \"" + d + L"\"", L"if not exist \"" + u + L"\" goto done"});
  lines.push_back(L":done");
  if (!silent) lines.push_back(L"if exist \"" + u + L"\" \"" + u + L"\" /warning");
  lines.push_back(L"del \"Uninstall_Zpk.Bat\"");
  return lines;
}

std::wstring LongForm(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 2] = {};
  GetLongPathNameW(path.c_str(), buffer, MAX_PATH * 2);
  return buffer;
}

const wchar_t kExe[] = L"C:\\Program Files\\Bramix\\Uninstall.exe";
const wchar_t kFolder[] = L"C:\\Program Files\\Bramix";

}  // namespace

TEST(RemovalScriptText, NormalRunWaitsDeletesInFiveAttemptsWarnsAndDeletesItself) {
  EXPECT_EQ(ExpectedLines(kExe, kFolder, false), Lines(MakeRemovalScriptText(kExe, kFolder, false)));
}

TEST(RemovalScriptText, SilentRunHasNoWarningLine) {
  EXPECT_EQ(ExpectedLines(kExe, kFolder, true), Lines(MakeRemovalScriptText(kExe, kFolder, true)));
}

TEST(RemovalScriptText, PercentSignsInPathsAreDoubled) {
  const std::wstring folder = L"C:\\Bramix 100% %PATH%", doubled = L"C:\\Bramix 100%% %%PATH%%";
  EXPECT_EQ(ExpectedLines(doubled + L"\\Uninstall.exe", doubled, true),
            Lines(MakeRemovalScriptText(folder + L"\\Uninstall.exe", folder, true)));
}

enum class Form { kItself, kShortLeadingBack, kNone };

struct FormRow {
  const wchar_t* name;     // a folder holding Uninstall.exe
  const wchar_t* sibling;  // a folder made beside it first, or null
  bool uninstaller;        // the path asked for is the uninstaller's rather than the folder's
  Form expected;
};

class ScriptPathForms : public TempFolderTest {};

TEST_F(ScriptPathForms, EachNameGetsAFormThatNamesOnlyItOrNone) {
  const FormRow rows[] = {
      {L"Bramix 100% (x) & y", nullptr, true, Form::kItself},
      {L"Bram\u00ecx", nullptr, true, Form::kItself},                // in the OEM code page
      {L"Bram\u00f5x", nullptr, true, Form::kShortLeadingBack},      // in the ANSI code page only
      {L"\uff22ramix", L"Bramix", true, Form::kShortLeadingBack},    // full-width letter, never its look-alike
      {L"Bramix ", L"Bramix", true, Form::kShortLeadingBack},        // trailing space would be cut
      {L"Bramix.", L"Bramix", false, Form::kShortLeadingBack},       // trailing dot would be cut
      // The same hashed short name, both ways round: one of them is listed first.
      {L"Bram \u03b3", L"Bram \u03b3 10917", false, Form::kNone},
      {L"Bram \u03b3 10917", L"Bram \u03b3", false, Form::kNone},
  };
  int folder = 0;
  for (const FormRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "folder " << row.name << (row.uninstaller ? " (its uninstaller)" : "")
                                    << ", sibling " << (row.sibling ? row.sibling : L"none"));
    const std::wstring parent = Path(std::to_wstring(++folder));
    if (row.sibling) WriteBytes(parent + L"\\" + row.sibling + L"\\keep.txt", "k");
    const std::wstring folderPath = parent + L"\\" + row.name, exe = folderPath + L"\\Uninstall.exe";
    WriteBytes(exe, "x");
    const std::wstring path = row.uninstaller ? exe : folderPath;
    std::wstring form = L"unchanged";
    const bool found = ScriptPathForm(path, form);
    EXPECT_EQ(row.expected != Form::kNone, found);
    if (row.expected == Form::kItself) {
      EXPECT_EQ(path, form);
    } else if (row.expected == Form::kShortLeadingBack) {
      EXPECT_NE(path, form);
      EXPECT_EQ(0, _wcsicmp(path.c_str(), LongForm(form).c_str())) << form;
    } else {
      EXPECT_EQ(L"unchanged", form);
    }
  }
}

TEST(UninstallList, EntriesThatStayInsideTheFolder) {
  for (const wchar_t* inside : {L"a.txt", L"sub\\..\\a.txt", L"sub/x/../../a", L".\\a", L"a\\.\\..", L"...txt"})
    EXPECT_FALSE(EntryLeavesFolder(inside)) << inside;
}

TEST(UninstallList, EntriesThatClimbOutOfTheFolder) {
  for (const wchar_t* outside : {L"..", L"..\\outside.txt", L"../x", L"sub\\..\\..\\x", L".\\..\\x",
                                 L"a\\..\\b\\..\\..\\x", L"sub\\...\\..\\..\\x", L".. \\x"})
    EXPECT_TRUE(EntryLeavesFolder(outside)) << outside;
}
