// Which translated formats may stand in for a built-in one.
#include <gtest/gtest.h>

#include "text/text_utils.h"

namespace {

struct FormatRow {
  const wchar_t* Format;
  const wchar_t* Reference;
  bool Accepted;
};

const FormatRow kRows[] = {
    {L"Delete %s yourself", L"Occorre eliminare il file %s manualmente", true},
    {L"100%% sure: %-20.5s", L"%s", true},
    {L"%1024s", L"%s", true},
    {L"%1025s", L"%s", false},
    {L"%.99999999s", L"%s", false},
    {L"%*s", L"%s", false},
    {L"%1$s", L"%s", false},
    {L"trailing %", L"", false},
    {L"%d then %s", L"%s then %d", false},
};

}  // namespace

TEST(FormatConversions, TranslationIsAcceptedOnlyWithTheReferenceConversions) {
  for (const FormatRow& row : kRows) {
    SCOPED_TRACE(std::wstring(row.Format) + L" for " + row.Reference);
    EXPECT_EQ(row.Accepted, SameFormatConversions(row.Format, row.Reference));
  }
}
