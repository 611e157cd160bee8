// The English language file translates every key of the key table.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "localization/key_table.h"
#include "localization/language_file.h"
#include "support/scoped_state.h"
#include "support/wine_program.h"

namespace {

class EnglishTranslation : public testing::Test {
 protected:
  void SetUp() override {
    ReadLanguageFile(TestBinFolder() + L"\\..\\lang\\english\\uninstall.lng");
    ASSERT_FALSE(LanguageTexts().Empty()) << "no English file";
  }
  ScopedLanguageTable table_;
};

}  // namespace

TEST_F(EnglishTranslation, HasATextForEveryKey) {
  for (const KeyRow& row : KeyTable()) {
    // Size rows may be left out: only a language that needs more room gives them.
    if (std::string_view(row.Name).ends_with(":SIZE")) continue;
    SCOPED_TRACE(row.Name);
    const std::wstring* text = LanguageTexts().Find(row.Name);
    ASSERT_NE(nullptr, text);
    EXPECT_FALSE(text->empty());
  }
}
