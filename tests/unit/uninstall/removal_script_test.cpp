#include "uninstall/removal_script.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "support/temp_folder.h"

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

class ScriptPathForms : public TempFolderTest {};

TEST_F(ScriptPathForms, EachNameGetsAFormThatNamesOnlyIt) {
  const struct {
    const wchar_t* name;     // a folder holding Uninstall.exe
    const wchar_t* sibling;  // a folder made beside it first, or null
    bool uninstaller;        // the path asked for is the uninstaller's rather than the folder's
    bool itself;             // the form is the path itself rather than its short form
  } kRows[] = {
      {L"Bram\u00ecx", nullptr, true, true},    // in the OEM code page
      {L"Bram\u00f5x", nullptr, true, false},   // in the ANSI code page only
      {L"\uff22ramix", L"Bramix", true, false},  // full-width letter, never its look-alike
      {L"Bramix.", L"Bramix", false, false},    // trailing dot would be cut
  };
  int folder = 0;
  for (const auto& row : kRows) {
    SCOPED_TRACE(testing::Message() << "folder " << row.name << (row.uninstaller ? " (its uninstaller)" : "")
                                    << ", sibling " << (row.sibling ? row.sibling : L"none"));
    const std::wstring parent = Path(std::to_wstring(++folder));
    if (row.sibling) WriteBytes(parent + L"\\" + row.sibling + L"\\keep.txt", "k");
    const std::wstring folderPath = parent + L"\\" + row.name;
    const std::wstring exe = folderPath + L"\\Uninstall.exe";
    WriteBytes(exe, "x");
    const std::wstring path = row.uninstaller ? exe : folderPath;
    std::wstring form;
    EXPECT_TRUE(ScriptPathForm(path, form));
    if (row.itself) {
      EXPECT_EQ(path, form);
    } else {
      EXPECT_NE(path, form);
      EXPECT_EQ(0, _wcsicmp(path.c_str(), LongForm(form).c_str())) << form;
    }
  }
}
