// The application icon and bold font that the entry routine holds for the dialogs.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "environment/app_visuals.h"
#include "environment/unique_handle.h"

namespace {

UniqueGdiObject MakeFont() {
  return UniqueGdiObject(CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"MS Shell Dlg"));
}

}  // namespace

TEST(AppVisuals, FontIsDeletedAndNoLongerReadOnceTheHolderGoes) {
  UniqueGdiObject font = MakeFont();
  const HGDIOBJ made = font.get();
  {
    const AppVisuals visuals(LoadIconW(nullptr, IDI_APPLICATION), std::move(font));
  }
  EXPECT_EQ(nullptr, BoldFont());
  EXPECT_EQ(0u, GetObjectType(made));
}
