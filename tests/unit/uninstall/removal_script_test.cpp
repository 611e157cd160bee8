#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "environment/temp_folder.h"
#include "support/wine_program.h"
#include "text/text_utils.h"
#include "uninstall/removal_script.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(text.size(), start) << "text after the last line end";
  return lines;
}

bool IsAscii(const std::wstring& text) {
  for (wchar_t c : text)
    if (c > 0x7F) return false;
  return true;
}

const std::wstring kU = L"C:\\Program Files\\Bramix Test\\Uninstall.exe";
const std::wstring kD = L"C:\\Program Files\\Bramix Test";
const std::wstring kB = L"C:\\users\\me\\Temp\\Uninstall_Zpk.Bat";

std::vector<std::wstring> ExpectedLines(const std::wstring& u, const std::wstring& d, const std::wstring& b,
                                        bool silent) {
  std::vector<std::wstring> lines{L"\"" + u + L"\" /wait"};
  for (int i = 0; i < 5; ++i) {
    lines.push_back(L"del \"" + u + L"\"");
    lines.push_back(L"rd \"" + d + L"\"");
    lines.push_back(L"if not exist \"" + u + L"\" goto done");
  }
  lines.push_back(L":done");
  if (!silent) lines.push_back(L"if exist \"" + u + L"\" \"" + u + L"\" /warning");
  lines.push_back(L"del \"" + b + L"\"");
  return lines;
}

}  // namespace

TEST(RemovalScript, NormalAndSilentScriptsLineByLine) {
  std::vector<std::wstring> normal = Lines(MakeRemovalScriptText(kU, kD, kB, false));
  ASSERT_EQ(19u, normal.size());
  EXPECT_EQ(ExpectedLines(kU, kD, kB, false), normal);
  std::vector<std::wstring> silent = Lines(MakeRemovalScriptText(kU, kD, kB, true));
  ASSERT_EQ(18u, silent.size());
  EXPECT_EQ(ExpectedLines(kU, kD, kB, true), silent);
}

TEST(RemovalScript, PercentSignsAreDoubled) {
  const std::wstring u = L"C:\\100% %PATH%\\Uninstall.exe", d = L"C:\\100% %PATH%";
  EXPECT_EQ(ExpectedLines(L"C:\\100%% %%PATH%%\\Uninstall.exe", L"C:\\100%% %%PATH%%", kB, false),
            Lines(MakeRemovalScriptText(u, d, kB, false)));
}

TEST(RemovalScript, NonAsciiPathsTakeTheirShortForm) {
  const std::wstring folder = GetSystemTempFolder() + L"Bramix \u00e8 \u03b1\u03b2\u03b3 50%";
  DeleteTree(folder);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring exe = folder + L"\\Uninstall.exe";
  CloseHandle(CreateFileW(exe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

  for (const std::wstring& path : {folder, exe}) {
    std::wstring spelt = ScriptPathText(path);
    EXPECT_TRUE(IsAscii(spelt)) << spelt;
    // Undoing the doubled '%' gives a name of the same file.
    std::wstring unescaped;
    for (size_t i = 0; i < spelt.size(); ++i) {
      unescaped += spelt[i];
      if (spelt[i] == L'%') {
        ASSERT_EQ(L'%', spelt[i + 1]);
        ++i;
      }
    }
    wchar_t longForm[MAX_PATH];
    ASSERT_NE(0u, GetLongPathNameW(unescaped.c_str(), longForm, MAX_PATH));
    EXPECT_EQ(0, _wcsicmp(path.c_str(), longForm));
  }
  // The script holds the short forms, and its ANSI bytes lose nothing.
  const std::wstring text = MakeRemovalScriptText(exe, folder, kB, false);
  EXPECT_EQ(L"\"" + ScriptPathText(exe) + L"\" /wait", Lines(text)[0]);
  EXPECT_EQ(text, AnsiToWideString(WideToAnsiString(text)));
  DeleteTree(folder);

  // A path that does not exist has no short form and keeps its characters.
  EXPECT_EQ(L"C:\\nowhere \u00e8\\x", ScriptPathText(L"C:\\nowhere \u00e8\\x"));
}

TEST(RemovalScript, WrittenInAnsiAndNotStartedWithoutComspec) {
  const std::wstring folder = GetSystemTempFolder() + L"BramixScriptTest";
  DeleteTree(folder);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  wchar_t oldCurrent[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, oldCurrent);
  {
    ScopedEnvVar noComspec(L"COMSPEC", nullptr);
    WriteRemovalScript(folder + L"\\Uninstall.exe", folder, true);
  }
  const std::wstring script = RemovalScriptPath();
  std::ifstream in(script.c_str(), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  in.close();
  EXPECT_EQ(WideToAnsiString(MakeRemovalScriptText(folder + L"\\Uninstall.exe", folder, script, true)),
            bytes.str());
  DeleteFileW(script.c_str());
  SetCurrentDirectoryW(oldCurrent);
  DeleteTree(folder);
}
