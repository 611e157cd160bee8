// Language files read from disk: the marker search.
#include <gtest/gtest.h>

#include <string>

#include "localization/language_file.h"
#include "localization/language_table.h"
#include "support/language_records.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"

namespace {

// The process-wide table starts empty and is restored after the test.
class LanguageFile : public TempFolderTest {
 protected:
  const ScopedLanguageTable texts_;
};

}  // namespace

TEST_F(LanguageFile, AMarkerAcrossTheFirstBlocksEndIsFound) {
  WriteBytes(Path(L"uninstall.lng"), std::string(8185, 'x') + "***messages**\r\nK text\r\n");
  ReadLanguageFile(Path(L"uninstall.lng"));
  EXPECT_EQ(L"text", TextOf(LanguageTexts(), "s:K"));
}
