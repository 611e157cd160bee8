#include "integration/options_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>


#include "resources/resource_ids.h"
#include "settings/text_reader.h"
#include "support/dialog_template.h"
#include "support/scoped_state.h"

namespace {

// The format boxes in row order, as the settings dialog numbers them.
constexpr WORD kFormatBoxes[kArchiveFormatCount] = {
    IDC_ASSOCZPK, IDC_ASSOCZIP, IDC_ASSOCCAB, IDC_ASSOCARJ, IDC_ASSOCLZ,   IDC_ASSOCLZH,
    IDC_ASSOC7Z,  IDC_ASSOCTAR, IDC_ASSOCGZ,  IDC_ASSOCUUE, IDC_ASSOCBZ2,  IDC_ASSOCJAR,
    IDC_ASSOCISO, IDC_ASSOCZ,   IDC_ASSOCXZ,  IDC_ASSOCZIPX, IDC_ASSOCZST, IDC_ASSOC001,
};

struct ChoiceBox {
  const char* name;
  WORD id;
  bool IntegrationOptions::*field;
};
const ChoiceBox kChoiceBoxes[] = {
    {"Desktop", IDC_LINKDESKTOP, &IntegrationOptions::Desktop},
    {"StartMenu", IDC_LINKSTARTMENU, &IntegrationOptions::StartMenu},
    {"Programs", IDC_LINKPROGRAMS, &IntegrationOptions::Programs},
    {"ShellExt", IDC_SHELLEXT, &IntegrationOptions::ShellExt},
    {"CascadedMenu", IDC_SHELLCASCADED, &IntegrationOptions::CascadedMenu},
    {"MenuIcons", IDC_SHELLICONS, &IntegrationOptions::MenuIcons},
    {"LegacyMenu", IDC_SHELLLEGACYMENU, &IntegrationOptions::LegacyMenu},
};

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A hidden dialog with a three-state box for every format and choice.
class OptionsDialog : public testing::Test {
 protected:
  OptionsDialog() {
    DialogTemplate hidden(WS_POPUP, 100, 100);
    for (WORD id : kFormatBoxes) hidden.AddControl(id, kButtonClass, BS_AUTO3STATE, 0, 10, L"");
    for (const ChoiceBox& box : kChoiceBoxes) hidden.AddControl(box.id, kButtonClass, BS_AUTO3STATE, 0, 10, L"");
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), hidden.Get(), nullptr, IgnoreMessages, 0);
  }
  ~OptionsDialog() override { DestroyWindow(window_); }
  void SetUp() override { ASSERT_NE(nullptr, window_); }

  bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window_, id)); }

  HWND window_ = nullptr;
  ScopedSettingsStore store_;
};

// Every format and choice as given; ExtAll and the spare flags off.
IntegrationOptions Uniform(bool on) {
  IntegrationOptions options;
  for (size_t row = 0; row < kArchiveFormatCount; ++row) options.Formats[row] = on;
  for (const ChoiceBox& box : kChoiceBoxes) options.*box.field = on;
  return options;
}

// Rows 4, 13 and 14, whose ids run against the row order, differ from their neighbours.
IntegrationOptions MixedRecord() {
  IntegrationOptions options;
  for (size_t row : {1, 4, 7, 10, 13, 16}) options.Formats[row] = true;
  options.Desktop = true;
  options.ShellExt = true;
  options.MenuIcons = true;
  return options;
}

// Every choice of `actual` the same as in `expected`, each failure naming its choice.
void ExpectSameChoices(const IntegrationOptions& expected, const IntegrationOptions& actual) {
  for (size_t row = 0; row < kArchiveFormatCount; ++row)
    EXPECT_EQ(expected.Formats[row], actual.Formats[row]) << "format row " << row;
  for (const ChoiceBox& box : kChoiceBoxes) EXPECT_EQ(expected.*box.field, actual.*box.field) << box.name;
}

}  // namespace

TEST_F(OptionsDialog, ShownRecordIsReadBackUnchanged) {
  struct Row {
    const char* name;
    IntegrationOptions options;
  };
  // One dialog for all rows, so a box left checked by the row before shows up.
  const Row rows[] = {
      {"all on", Uniform(true)},
      {"all off", Uniform(false)},
      {"mixed", MixedRecord()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ShowOptionsInDialog(window_, row.options);
    IntegrationOptions read;
    ReadOptionsFromDialog(window_, read);
    ExpectSameChoices(row.options, read);
  }
}

TEST_F(OptionsDialog, EachChoiceIsShownInItsOwnBox) {
  const IntegrationOptions options = MixedRecord();
  ShowOptionsInDialog(window_, options);
  for (size_t row = 0; row < kArchiveFormatCount; ++row)
    EXPECT_EQ(options.Formats[row], IsDlgButtonChecked(window_, kFormatBoxes[row]) == BST_CHECKED)
        << "format row " << row;
  for (const ChoiceBox& box : kChoiceBoxes)
    EXPECT_EQ(options.*box.field, IsDlgButtonChecked(window_, box.id) == BST_CHECKED) << box.name;
}

TEST_F(OptionsDialog, ShellExtensionBoxIsEnabledOnlyWhenIntegrationIsAllowed) {
  for (const bool allowed : {true, false}) {
    SCOPED_TRACE(allowed ? "settings file without the switch" : "Integration=0");
    WritableSettingsStore().Clear();
    StringList lines;
    SplitTextLines(allowed ? L"" : L"Global\\Integration=0\n", lines);
    WritableSettingsStore().LoadLines(lines, L"");
    ShowOptionsInDialog(window_, Uniform(true));
    EXPECT_EQ(allowed, Enabled(IDC_SHELLEXT));
  }
}

TEST_F(OptionsDialog, MenuBoxesAreEnabledOnlyWithTheShellExtension) {
  const ScopedWindows11 windows11(true);
  for (const bool shellExt : {true, false}) {
    SCOPED_TRACE(shellExt ? "ShellExt on" : "ShellExt off");
    IntegrationOptions options = Uniform(true);
    options.ShellExt = shellExt;
    ShowOptionsInDialog(window_, options);
    for (int id : {IDC_SHELLCASCADED, IDC_SHELLICONS, IDC_SHELLLEGACYMENU})
      EXPECT_EQ(shellExt, Enabled(id)) << "box " << id;
  }
}

TEST_F(OptionsDialog, LegacyMenuBoxIsEnabledOnlyOnWindows11) {
  for (const bool windows11 : {true, false}) {
    SCOPED_TRACE(windows11 ? "Windows 11" : "Windows 10");
    const ScopedWindows11 version(windows11);
    ShowOptionsInDialog(window_, Uniform(true));
    EXPECT_EQ(windows11, Enabled(IDC_SHELLLEGACYMENU));
  }
}
