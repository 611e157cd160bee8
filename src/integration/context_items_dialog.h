#pragma once
// The context menu items dialog (SETUPCONTEXTITEMS): which items the shell
// extension shows, stored under Setup\MenuItems and Setup\TopMenuItems of the
// product key (or in the settings file) as soon as the user confirms.
#include <windows.h>

#include "resources/resource_ids.h"

class ContextItemsDialog {
 public:
  static constexpr const wchar_t* kTemplateName = L"" IDD_SETUPCONTEXTITEMS;
  static constexpr const wchar_t* kHelpTopic = L"HELPContextItems";
  static constexpr INT_PTR kCancelledResult = 0;

  // `cascaded`: whether the settings dialog's cascaded-menu box is ticked. Without
  // it, on Windows 11, the dialog offers the top-level items in place of the
  // regular ones.
  explicit ContextItemsDialog(bool cascaded) : cascaded_(cascaded) {}

  // Fills the boxes from the stored values (the defaults where nothing is stored)
  // when the dialog opens; on OK stores every box and the file masks and saves the
  // settings file, on Cancel stores nothing. FALSE for messages it leaves alone.
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void ShowStoredChoices(HWND dialog);
  void StoreChoices(HWND dialog) const;

  bool cascaded_;
  // True while the top-level items are hidden; only then are they left unstored.
  bool topItemsHidden_ = true;
};

// Shows the dialog, owned by `owner`; `cascaded` tells whether the settings
// dialog's cascaded-menu box is ticked. The choices are stored when the user
// confirms; nothing is stored when the dialog is cancelled or cannot be made.
void ShowContextItemsDialog(HWND owner, bool cascaded);
