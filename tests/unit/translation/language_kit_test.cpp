// The translator's kit writes a template that holds every key of the key table under
// its built-in text; the English language file translates every key.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "localization/key_table.h"
#include "localization/language_file.h"
#include "support/file_bytes.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"
#include "support/wine_program.h"

namespace {

class TranslatorTemplate : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(0u, RunToTheEnd(TestBinFolder() + L"\\language_template.exe", L"\"" + template_ + L"\""));
  }
  // The template's text after its byte-order mark.
  std::wstring Text() const {
    const std::string bytes = ReadFileBytes(template_);
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") return L"<not UTF-16>";
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  }
  const std::wstring template_ = Path(L"template.lng");
  ScopedLanguageTable table_;
};

class EnglishTranslation : public testing::Test {
 protected:
  void SetUp() override {
    ReadLanguageFile(TestBinFolder() + L"\\..\\lang\\english\\uninstall.lng");
    ASSERT_FALSE(LanguageTexts().Empty()) << "no English file";
  }
  ScopedLanguageTable table_;
};

}  // namespace

TEST_F(TranslatorTemplate, ListsEveryKeyOfTheKeyTable) {
  ReadLanguageFile(template_);
  for (const KeyRow& row : KeyTable()) {
    SCOPED_TRACE(row.Name);
    EXPECT_NE(nullptr, LanguageTexts().Find(row.Name));
  }
}

TEST_F(TranslatorTemplate, ShowsTheBuiltInTextAboveTheKey) {
  struct Row {
    const char* key;
    const wchar_t* lines;
  } rows[] = {
      {"s:IDS_CONTINUEUNINSTALL", L"; Avvio la rimozione di Bramix?\r\nIDS_CONTINUEUNINSTALL \r\n"},
      {"$SETUPCONTEXTITEMS:CAPTION", L"; Voci del menu contestuale\r\nCAPTION \r\n"},
  };
  const std::wstring text = Text();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    EXPECT_NE(std::wstring::npos, text.find(row.lines));
  }
}

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
