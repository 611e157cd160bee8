#pragma once
// The application icon and the bold dialog font of the setup dialogs. The entry
// routine makes them for the run and keeps them in an AppVisuals; dialogs read
// them through AppIcon and BoldFont.
#include <windows.h>

#include "environment/unique_handle.h"

// The icon of the live AppVisuals; null when there is none or it has no icon.
HICON AppIcon();
// The font of the live AppVisuals; null when there is none or it has no font.
HFONT BoldFont();

// Holds the run's icon and font and shows them to AppIcon and BoldFont until it
// goes away; the font is deleted then, and the one made before it (if any) is
// shown again.
class AppVisuals {
 public:
  AppVisuals(HICON icon, UniqueGdiObject font);
  ~AppVisuals();
  AppVisuals(const AppVisuals&) = delete;
  AppVisuals& operator=(const AppVisuals&) = delete;

  HICON Icon() const { return icon_; }
  HFONT Font() const { return static_cast<HFONT>(font_.get()); }

 private:
  // An icon from LoadIconW is shared: it lives as long as its module and is never
  // destroyed, so it is only held here, not owned.
  HICON icon_;
  UniqueGdiObject font_;
  const AppVisuals* previous_;
};
