// Dialogs made from small templates in memory, localized by the common dialog
// handling as the program's dialogs are: texts, caption, size and direction from
// the language table, and help requests.
#include "localization/dialog_localization.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "localization/language_table_writer.h"
#include "resources/resource_ids.h"
#include "support/dialog_template.h"
#include "support/html_help_recorder.h"
#include "support/scoped_state.h"
#include "support/wine_program.h"

namespace {

constexpr int kComboId = 300;

INT_PTR CALLBACK LocalizedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleCommonDialogMessage(dialog, message, wParam, lParam, reinterpret_cast<const wchar_t*>(lParam), nullptr);
}

// A dialog of the given template name and extra style (DS_CENTER or 0), open
// until the end of the test.
class TestDialog {
 public:
  TestDialog(const wchar_t* name, DWORD style) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | style, 200, 150);
    t.AddControl(IDC_ASSOCZPK, kButtonClass, BS_AUTOCHECKBOX, 21, 12, L"ZPK");
    t.AddControl(IDC_ASSOCZIP, kButtonClass, BS_AUTOCHECKBOX, 40, 12, L"ZIP");
    t.AddControl(kComboId, kComboBoxClass, CBS_DROPDOWNLIST | WS_VSCROLL, 60, 80, L"");
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, LocalizedProc,
                                         reinterpret_cast<LPARAM>(name));
  }
  ~TestDialog() { DestroyWindow(window_); }
  HWND Window() const { return window_; }

 private:
  HWND window_;
};

RECT WindowRectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// The client area's width and height.
POINT ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

// A control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id) {
  RECT r = WindowRectOf(GetDlgItem(dialog, id));
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int DropDownHeight(HWND dialog) {
  RECT r{};
  SendDlgItemMessageW(dialog, kComboId, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r.bottom - r.top;
}

std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Equal within two pixels: the adjustment counts a length as right - left + 1 and
// truncates what it scales.
void ExpectNear(int expected, int actual, const char* what) {
  EXPECT_LE(std::abs(expected - actual), 2) << what << ": expected " << expected << ", got " << actual;
}

class DialogLocalizationTest : public testing::Test {
 protected:
  void SetLanguage(const char* key, const wchar_t* text) {
    WritableLanguageTexts().Add(key, text);
    WritableLanguageTexts().Finish();
  }
  ScopedLanguageTable language_;
};

TEST_F(DialogLocalizationTest, ListedControlTakesTheTextOfItsDialogsSection) {
  SetLanguage("$SETUPDLG:IDC_ASSOCZIP", L"Zip tradotto");
  TestDialog dialog(L"SETUPDLG", DS_CENTER);
  EXPECT_EQ(L"Zip tradotto", ControlText(dialog.Window(), IDC_ASSOCZIP));
}

TEST_F(DialogLocalizationTest, AnotherDialogsKeyLeavesTheSameIdAlone) {
  SetLanguage("$DONEDLG:IDC_INSTINFOFOLDER", L"Cartella");
  TestDialog dialog(L"SETUPDLG", DS_CENTER);
  EXPECT_EQ(L"ZPK", ControlText(dialog.Window(), IDC_ASSOCZPK));
}

TEST_F(DialogLocalizationTest, CaptionComesFromTheDialogsSection) {
  SetLanguage("$SETUPDLG:CAPTION", L"Impostazioni");
  TestDialog dialog(L"SETUPDLG", DS_CENTER);
  EXPECT_EQ(L"Impostazioni", WindowText(dialog.Window()));
}

TEST_F(DialogLocalizationTest, InvalidSizeChangesNothing) {
  TestDialog plain(L"SETUPDLG", DS_CENTER);
  for (const wchar_t* size : {L"0*120", L"120"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(size)));
    ScopedLanguageTable language;
    SetLanguage("$SETUPDLG:SIZE", size);
    TestDialog sized(L"SETUPDLG", DS_CENTER);
    EXPECT_EQ(Edges(WindowRectOf(plain.Window())), Edges(WindowRectOf(sized.Window())));
    EXPECT_EQ(Edges(ControlRect(plain.Window(), IDC_ASSOCZIP)), Edges(ControlRect(sized.Window(), IDC_ASSOCZIP)));
  }
}

TEST_F(DialogLocalizationTest, TallerCentredDialogKeepsItsCentre) {
  TestDialog plain(L"SETUPDLG", DS_CENTER);
  SetLanguage("$SETUPDLG:SIZE", L"100*150");
  TestDialog tall(L"SETUPDLG", DS_CENTER);
  const RECT before = WindowRectOf(plain.Window());
  const RECT after = WindowRectOf(tall.Window());
  ExpectNear(ClientSize(plain.Window()).y * 3 / 2, ClientSize(tall.Window()).y, "client height");
  ExpectNear(ClientSize(plain.Window()).x, ClientSize(tall.Window()).x, "client width");
  EXPECT_NEAR((before.left + before.right) / 2.0, (after.left + after.right) / 2.0, 1.0) << "horizontal centre";
  EXPECT_NEAR((before.top + before.bottom) / 2.0, (after.top + after.bottom) / 2.0, 1.0) << "vertical centre";
}

TEST_F(DialogLocalizationTest, ControlsMoveAndStretchWithTheDialog) {
  TestDialog plain(L"SETUPDLG", DS_CENTER);
  SetLanguage("$SETUPDLG:SIZE", L"100*150");
  TestDialog tall(L"SETUPDLG", DS_CENTER);
  const RECT before = ControlRect(plain.Window(), IDC_ASSOCZIP);
  const RECT after = ControlRect(tall.Window(), IDC_ASSOCZIP);
  ExpectNear(before.left, after.left, "left");
  ExpectNear(before.top * 3 / 2, after.top, "top");
  ExpectNear(before.right - before.left, after.right - after.left, "width");
  ExpectNear((before.bottom - before.top) * 3 / 2, after.bottom - after.top, "height");
}

TEST_F(DialogLocalizationTest, DropDownListGrowsWithTheDialog) {
  TestDialog plain(L"SETUPDLG", DS_CENTER);
  SetLanguage("$SETUPDLG:SIZE", L"100*150");
  TestDialog tall(L"SETUPDLG", DS_CENTER);
  EXPECT_GE(DropDownHeight(tall.Window()), DropDownHeight(plain.Window()) * 3 / 2);
}

TEST_F(DialogLocalizationTest, WiderUncentredDialogKeepsItsLeftEdge) {
  TestDialog plain(L"SETUPCONTEXTITEMS", 0);
  SetLanguage("$SETUPCONTEXTITEMS:SIZE", L"130*100");
  TestDialog wide(L"SETUPCONTEXTITEMS", 0);
  EXPECT_EQ(WindowRectOf(plain.Window()).left, WindowRectOf(wide.Window()).left);
  EXPECT_EQ(WindowRectOf(plain.Window()).top, WindowRectOf(wide.Window()).top);
  ExpectNear(ClientSize(plain.Window()).x * 13 / 10, ClientSize(wide.Window()).x, "client width");
}

TEST_F(DialogLocalizationTest, RightToLeftLanguageMirrorsTheDialog) {
  for (const bool rightToLeft : {false, true}) {
    SCOPED_TRACE(rightToLeft ? "right to left" : "left to right");
    WritableLanguageTexts().RightToLeft = rightToLeft;
    TestDialog dialog(L"SETUPDLG", DS_CENTER);
    EXPECT_EQ(rightToLeft, (GetWindowLongW(dialog.Window(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0);
  }
}

struct HelpRow {
  const char* Name;
  UINT Message;
  WPARAM WParam;
  const wchar_t* Topic;
  size_t Calls;
};

TEST_F(DialogLocalizationTest, HelpRequestsOpenTheDialogsTopic) {
  const HelpRow rows[] = {
      {"F1 with a topic", WM_HELP, 0, L"HELPIntegrationSettings", 1},
      {"help button with a topic", WM_COMMAND, IDHELP, L"HELPIntegrationSettings", 1},
      {"F1 without a topic", WM_HELP, 0, nullptr, 0},
  };
  TestDialog dialog(L"SETUPDLG", DS_CENTER);
  for (const HelpRow& row : rows) {
    SCOPED_TRACE(row.Name);
    ScopedHtmlHelpRecorder recorder;
    HandleCommonDialogMessage(dialog.Window(), row.Message, row.WParam, 0, L"SETUPDLG", row.Topic);
    ASSERT_EQ(row.Calls, ScopedHtmlHelpRecorder::Calls().size());
    if (row.Calls == 1) {
      EXPECT_TRUE(ScopedHtmlHelpRecorder::Calls()[0].Address.ends_with(L"::/html/HELPIntegrationSettings.htm"));
    }
  }
}

}  // namespace
