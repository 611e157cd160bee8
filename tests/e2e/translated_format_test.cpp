// Translated texts that Uninstall.exe uses as formats: a translation asking for other
// conversions than the built-in text is never handed to the formatter.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/wine_program.h"

namespace {

constexpr DWORD kTimeout = 20000;
constexpr int kMessageText = 0xFFFF;
const wchar_t kBuiltInListError[] = L"Impossibile aprire la lista dei file Uninstall.lst";

enum class Source { LanguageFile, LanguageLibrary };

const wchar_t* SourceName(Source source) {
  return source == Source::LanguageFile ? L"uninstall.lng" : L"zpklng.dll";
}

const wchar_t* const kHostileFormats[] = {L"%s%s%s%s", L"%n", L"%p %x", L"%99999999s"};

// Puts `text` in place of the two formatted messages, through the file or the
// library only.
bool Translate(const StagedInstallation& install, Source source, const std::wstring& text) {
  DeleteFileW(install.Path(L"uninstall.lng").c_str());
  DeleteFileW(install.Path(L"zpklng.dll").c_str());
  if (source == Source::LanguageLibrary) return WriteLanguageLibrary(install, {{5108, text}, {5120, text}});
  const std::string ansi(text.begin(), text.end());
  install.WriteFile(L"uninstall.lng",
                    "***messages**\r\nIDS_UNINSTALLSHOULDDELETE " + ansi + "\r\nIDS_CANNOTOPENLIST " + ansi + "\r\n");
  return true;
}

// Runs the program with `args` and answers its first box: the box's text, or what
// happened instead. The program must end with exit code 0 after the answer.
std::wstring ShownText(const StagedInstallation& install, const std::wstring& args) {
  ChildProcess program;
  if (!program.Start(install.Exe(), args)) return L"<not started>";
  for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeout; Sleep(50)) {
    if (program.Wait(0)) return L"<ended without a box, exit code " + std::to_wstring(program.ExitCode()) + L">";
    if (HWND box = WaitForWindow(program.Pid(), L"#32770", 0)) {
      const std::wstring text = ControlText(box, kMessageText);
      PressButton(box, IDOK);
      EXPECT_TRUE(program.Wait(kTimeout));
      EXPECT_EQ(0u, program.ExitCode());
      return text;
    }
  }
  return L"<no box>";
}

class TranslatedFormat : public testing::Test {
 protected:
  StagedInstallation install_{L"C:\\Program Files\\Bramix Formats " + std::to_wstring(GetCurrentProcessId())};
};

}  // namespace

TEST_F(TranslatedFormat, HostileWarningTranslationGivesWayToTheBuiltInText) {
  const std::wstring builtIn = L"Rimozione completa\nOccorre eliminare il file " + install_.Exe() + L" manualmente";
  for (Source source : {Source::LanguageFile, Source::LanguageLibrary}) {
    for (const wchar_t* format : kHostileFormats) {
      SCOPED_TRACE(std::wstring(SourceName(source)) + L": " + format);
      ASSERT_TRUE(Translate(install_, source, format));
      EXPECT_EQ(builtIn, ShownText(install_, L"/warning"));
    }
  }
}

TEST_F(TranslatedFormat, HostileListErrorTranslationGivesWayToTheBuiltInText) {
  for (Source source : {Source::LanguageFile, Source::LanguageLibrary}) {
    for (const wchar_t* format : kHostileFormats) {
      SCOPED_TRACE(std::wstring(SourceName(source)) + L": " + format);
      ASSERT_TRUE(Translate(install_, source, format));
      EXPECT_EQ(kBuiltInListError, ShownText(install_, L"/s"));
    }
  }
}

TEST_F(TranslatedFormat, ListErrorTranslationWithTheBuiltInConversionsIsShown) {
  for (Source source : {Source::LanguageFile, Source::LanguageLibrary}) {
    SCOPED_TRACE(SourceName(source));
    ASSERT_TRUE(Translate(install_, source, L"Cannot open the list %-3s."));
    EXPECT_EQ(L"Cannot open the list Uninstall.lst.", ShownText(install_, L"/s"));
  }
}
