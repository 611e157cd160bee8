// No text of setup's three dialogs is cut: every static text, check box, radio button,
// push button and group box of the real program's dialogs holds its text at the
// control's own font, in Italian, in English from the language file alone and in
// English from the language library alone. The hook in helpers/hooks measures the
// controls inside the program, since a font handle means nothing in this process.
//
// Under Wine the dialogs' "MS Shell Dlg 2" stands for Tahoma (the prefix's font
// substitutes), which this Wine does not find, so the texts are drawn and measured in
// its fallback, Liberation Sans. The Italian texts fit there without any allowance;
// the closest is the title of the formats group, 174 of 179 pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "e2e/built_english.h"
#include "e2e/staged_product.h"
#include "resources/resource_ids.h"

namespace {

enum class Language { Italian, EnglishFile, EnglishLibrary };
enum Dialog { kSetup, kItems, kDone, kDialogCount };
using Case = std::tuple<Language, Dialog>;

std::string CaseName(const testing::TestParamInfo<Case>& info) {
  const char* languages[] = {"Italian", "EnglishFile", "EnglishLibrary"};
  const char* dialogs[] = {"SETUPDLG", "SETUPCONTEXTITEMS", "DONEDLG"};
  return std::string(languages[static_cast<int>(std::get<0>(info.param))]) + "_" + dialogs[std::get<1>(info.param)];
}

// What one control's text needs and has, in pixels.
struct Fit {
  int Id = 0;
  long NeededWidth = 0, Width = 0, NeededHeight = 0, Height = 0;
};
using DialogFits = std::array<std::vector<Fit>, kDialogCount>;

struct HookTraits {
  using Handle = HHOOK;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { UnhookWindowsHookEx(h); }
};

// Measures the dialog's controls from inside the program; empty when that failed.
std::vector<Fit> MeasureControls(HWND dialog) {
  const std::wstring hookPath = TestBinFolder() + L"\\text_fit_hook.dll";
  DeleteFileW((hookPath + L".txt").c_str());
  UniqueModule module(LoadLibraryW(hookPath.c_str()));
  auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module.get(), "TextFitHook")));
  UniqueHandle<HookTraits> hook(
      proc ? SetWindowsHookExW(WH_CALLWNDPROC, proc, module.get(), GetWindowThreadProcessId(dialog, nullptr))
           : nullptr);
  // The program's thread learns of a new hook with the next message it is sent.
  SendMessageW(dialog, WM_NULL, 0, 0);
  SendMessageW(dialog, RegisterWindowMessageW(L"TextFitMeasure"), 0, 0);
  std::vector<Fit> fits;
  std::ifstream report((hookPath + L".txt").c_str());
  for (Fit fit; report >> fit.Id >> fit.NeededWidth >> fit.Width >> fit.NeededHeight >> fit.Height;)
    fits.push_back(fit);
  return fits;
}

class TextFit : public SetupRun, public testing::WithParamInterface<Case> {
 protected:
  TextFit() : SetupRun(L"C:\\Program Files\\Bramix Text Fit") {}

  // The three dialogs' measurements in a language, taken by its first test.
  const std::vector<Fit>& Measured(Language language, Dialog dialog) {
    static std::map<Language, DialogFits> measured;
    if (measured.count(language) == 0) measured[language] = WalkDialogs(language);
    return measured[language][dialog];
  }

 private:
  // Runs setup through the settings dialog, the context items dialog opened from it
  // and the completion dialog, measuring each.
  DialogFits WalkDialogs(Language language) {
    const wchar_t* file = language == Language::EnglishFile ? L"uninstall.lng" : L"zpklng.dll";
    if (language != Language::Italian) install_.WriteFile(file, ReadFileBytes(BuiltEnglish(file)));
    DialogFits fits;
    HWND setup = OpenSetup(L"-setup");
    if (setup == nullptr) return fits;
    fits[kSetup] = MeasureControls(setup);
    PressButton(setup, IDC_SETCONTEXTMENU);
    if (HWND items = NextDialog(setup, kSetupTimeout)) {
      fits[kItems] = MeasureControls(items);
      PressButton(items, IDCANCEL);
      for (int i = 0; i < 600 && IsWindow(items); ++i) Sleep(50);
    }
    if (HWND done = ConfirmSetup(setup)) {
      fits[kDone] = MeasureControls(done);
      PressButton(done, IDOK);
    }
    WaitForEnd();
    return fits;
  }
};

}  // namespace

TEST_P(TextFit, EveryTextFitsItsControl) {
  const std::vector<Fit>& fits = Measured(std::get<0>(GetParam()), std::get<1>(GetParam()));
  ASSERT_FALSE(fits.empty()) << "the dialog was not measured";
  for (const Fit& fit : fits) {
    EXPECT_LE(fit.NeededWidth, fit.Width) << "control " << fit.Id << ": text width";
    EXPECT_LE(fit.NeededHeight, fit.Height) << "control " << fit.Id << ": text height";
  }
}

INSTANTIATE_TEST_SUITE_P(In, TextFit,
                         testing::Combine(testing::Values(Language::Italian, Language::EnglishFile,
                                                          Language::EnglishLibrary),
                                          testing::Values(kSetup, kItems, kDone)),
                         CaseName);
