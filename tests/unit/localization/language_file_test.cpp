#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "localization/language_file.h"
#include "localization/language_table.h"
#include "unit/localization/language_test_files.h"

TEST(LanguageText, SectionsKeysAndComments) {
  LanguageTable table = ParseLines(
      L"IDS_UNINSTALLZPK Remove Bramix\r\n"
      L":DIALOG SETUPDLG\r\n"
      L"CAPTION Bramix setup\r\n"
      L"SIZE 120*100\r\n"
      L"; translated by someone IDS_64BIT x\r\n"
      L" IDS_32BIT x\r\n"
      L"7IDS_32BIT x\r\n"
      L":strings\r\n"
      L"IDC_ASSOCZIP\tZIP archives\r\n"
      L":MENU  MAIN extra words\n"
      L"IDM_OPEN Open\n"
      L":STRINGS\n"
      L"IDS_BETA,\"  beta\\tbuild  \"   \n"
      L":unknown\r"
      L"IDS_64BIT   sixty-four   \r\n"
      L"NoDelimiterWithin99Characters\r\n" + std::wstring(80, L'-') + L" x\r\n" +
      L":DIALOG\r\n"
      L"X y");
  EXPECT_EQ(L"Remove Bramix", TextOf(table, "s:IDS_UNINSTALLZPK"));
  EXPECT_EQ(L"Bramix setup", TextOf(table, "$SETUPDLG:CAPTION"));
  EXPECT_EQ(L"120*100", TextOf(table, "$SETUPDLG:SIZE"));
  EXPECT_EQ(L"ZIP archives", TextOf(table, "$SETUPDLG:IDC_ASSOCZIP"));
  EXPECT_EQ(L"Open", TextOf(table, "@MAIN:IDM_OPEN"));
  EXPECT_EQ(L"  beta\tbuild  ", TextOf(table, "s:IDS_BETA"));
  EXPECT_EQ(L"sixty-four", TextOf(table, "s:IDS_64BIT"));
  EXPECT_EQ(L"y", TextOf(table, "$:X"));
  EXPECT_EQ(8u, table.Size());
  EXPECT_FALSE(table.RightToLeft);
}

TEST(LanguageText, EscapesQuotesAndLimits) {
  std::wstring longName(60, L'N');
  LanguageTable table = ParseLines(
      L"A1 \\\"x\\\"\r\n"
      L"A2 \\\\server\\share \\n\\r\\t\\q\\\r\n"
      L"A3 \"\r\n"
      L"A4 \"  padded  \"  \t\r\n"
      L"A5 say \"hi\"\r\n"
      L"A6 " + std::wstring(70000, L'z') + L"\r\n" +
      L"A7 first\\\n" + longName + L" cut\r\n" +
      L"Name\r\nOther text of the second line\r\n"
      L"A8 last without line end");
  EXPECT_EQ(L"x", TextOf(table, "s:A1"));
  EXPECT_EQ(L"\\server\\share \n\r\t\\q\\", TextOf(table, "s:A2"));
  EXPECT_EQ(L"", TextOf(table, "s:A3"));
  EXPECT_EQ(L"  padded  ", TextOf(table, "s:A4"));
  EXPECT_EQ(L"say \"hi", TextOf(table, "s:A5"));
  EXPECT_EQ(std::wstring(65536, L'z'), TextOf(table, "s:A6"));
  EXPECT_EQ(L"first\\", TextOf(table, "s:A7"));
  EXPECT_EQ(L"cut", TextOf(table, ("s:" + std::string(47, 'N')).c_str()));
  EXPECT_EQ(L"text of the second line", TextOf(table, "s:Name\r\nOther"));
  EXPECT_EQ(L"<none>", TextOf(table, "s:Other"));
  EXPECT_EQ(L"last without line end", TextOf(table, "s:A8"));
}

TEST(LanguageText, DirectionFollowsTheLastDirectionLine) {
  EXPECT_TRUE(ParseLines(L"K v\r\n:DIRECTION RTL\r\nL w\r\n").RightToLeft);
  EXPECT_FALSE(ParseLines(L":DIRECTION RTL\r\n:DIRECTION LTR\r\n").RightToLeft);
  EXPECT_FALSE(ParseLines(L":DIRECTION rtl\r\n").RightToLeft);
  EXPECT_FALSE(ParseLines(L":DIRECTION RTLX\r\n").RightToLeft);
  EXPECT_FALSE(ParseLines(L":DIRECTIONRTL\r\n").RightToLeft);
  EXPECT_TRUE(ParseLines(L":DIRECTION\tRTL trailing words\r\n").RightToLeft);
  // The direction line keeps the prefix in force.
  LanguageTable table = ParseLines(L":DIALOG DONEDLG\r\n:DIRECTION RTL\r\nIDOK Fine\r\n");
  EXPECT_EQ(L"Fine", TextOf(table, "$DONEDLG:IDOK"));
}

TEST(LanguageText, TheMarkerLineIsNeverParsed) {
  LanguageTable table;
  ParseLanguageText(L"IDS_BETA on the marker line\nIDS_64BIT next", table);
  EXPECT_EQ(L"<none>", TextOf(table, "s:IDS_BETA"));
  EXPECT_EQ(L"next", TextOf(table, "s:IDS_64BIT"));
}

class LanguageFileTest : public testing::Test {
 protected:
  void TearDown() override { TheLanguageTable().Clear(); }
  LanguageFolder files_;
};

TEST_F(LanguageFileTest, BothEncodingsAfterAnyHeader) {
  std::wstring lines =
      L"Header line IDS_BETA x\r\n***messages**\r\n:DIALOG SETUPDLG\r\nCAPTION Impostazioni \x05D0\r\n";
  LanguageTable& wide = files_.Read(Utf16Bytes(lines));
  EXPECT_EQ(L"Impostazioni \x05D0", TextOf(wide, "$SETUPDLG:CAPTION"));
  EXPECT_EQ(1u, wide.Size());

  LanguageTable& ansi = files_.Read("junk\r\n***messages**\r\nIDS_BETA b\xE8ta\r\nIDS_32BIT 32\r\n");
  wchar_t expected[8] = {};
  MultiByteToWideChar(CP_ACP, 0, "b\xE8ta", -1, expected, 8);
  EXPECT_EQ(expected, TextOf(ansi, "s:IDS_BETA"));
  EXPECT_EQ(L"32", TextOf(ansi, "s:IDS_32BIT"));

  // UTF-8 is read as ANSI text.
  LanguageTable& utf8 = files_.Read("\xEF\xBB\xBF***messages**\nIDS_BETA \xC3\xA8\n");
  MultiByteToWideChar(CP_ACP, 0, "\xC3\xA8", -1, expected, 8);
  EXPECT_EQ(expected, TextOf(utf8, "s:IDS_BETA"));
}

TEST_F(LanguageFileTest, MarkerAnywhereInTheScannedBlocks) {
  // Block k starts at k * 8176 and holds 8192 bytes: try markers across the
  // boundaries, at odd offsets for the UTF-16 form too.
  for (size_t offset : {size_t(0), size_t(8170), size_t(8179), size_t(8185), size_t(16350), size_t(2093072 - 40)}) {
    SCOPED_TRACE(offset);
    std::string ansi(offset, 'x');
    ansi += "***messages**\r\nIDS_BETA a\r\n";
    EXPECT_EQ(L"a", TextOf(files_.Read(ansi), "s:IDS_BETA"));
    std::string wide(offset, 'x');
    wide += Utf16Bytes(L"***messages**\r\nIDS_BETA w\r\n", false);
    EXPECT_EQ(L"w", TextOf(files_.Read(wide), "s:IDS_BETA"));
  }
  // The earliest offset wins, whichever its form.
  std::string both = "x" + Utf16Bytes(L"***messages**\nIDS_BETA w\n", false) + "***messages**\nIDS_BETA a\n";
  EXPECT_EQ(L"w", TextOf(files_.Read(both), "s:IDS_BETA"));
}

TEST_F(LanguageFileTest, NothingWithoutAMarkerInReach) {
  EXPECT_TRUE(files_.Read("").Empty());
  EXPECT_TRUE(files_.Read("\xFF\xFE").Empty());
  EXPECT_TRUE(files_.Read("IDS_BETA x\r\n**messages**\r\nIDS_BETA y\r\n").Empty());
  std::string beyondScan(2093072, 'x');
  EXPECT_TRUE(files_.Read(beyondScan + "***messages**\nIDS_BETA x\n").Empty());
  std::string threeMb(3 << 20, 'x');
  EXPECT_TRUE(files_.Read(threeMb + "***messages**\nIDS_BETA x\n").Empty());
  TheLanguageTable().Clear();
  ReadLanguageFile(files_.Path(L"missing.lng"));
  EXPECT_TRUE(TheLanguageTable().Empty());
}

TEST_F(LanguageFileTest, ReadsAtMost2MBAndParsesAtMost1MCharacters) {
  // UTF-16: the byte limit comes first.
  std::wstring wide = L"***messages**\r\nIDS_BETA first\r\n";
  wide += std::wstring(0x100000 - wide.size() - 15, L';');
  wide += L"\r\nIDS_32BIT inside\r\nIDS_64BIT outside\r\n";
  wide += std::wstring(1 << 20, L';');
  LanguageTable& table = files_.Read(Utf16Bytes(wide, false));
  EXPECT_EQ(L"first", TextOf(table, "s:IDS_BETA"));
  EXPECT_EQ(L"ins", TextOf(table, "s:IDS_32BIT"));
  EXPECT_EQ(L"<none>", TextOf(table, "s:IDS_64BIT"));

  // ANSI: 2 MB of bytes are read, but only the first 1,048,576 characters parsed.
  std::string ansi = "***messages**\r\nIDS_BETA first\r\n";
  ansi += std::string(0x100000 - ansi.size() - 15, ';');
  ansi += "\r\nIDS_32BIT inside\r\nIDS_64BIT outside\r\n";
  ansi += std::string(3 << 20, ';');
  EXPECT_EQ(L"ins", TextOf(files_.Read(ansi), "s:IDS_32BIT"));
  EXPECT_EQ(L"<none>", TextOf(TheLanguageTable(), "s:IDS_64BIT"));
}

TEST_F(LanguageFileTest, BareNameIsTakenFromTheProgramFolder) {
  TheLanguageTable().Clear();
  ReadLanguageFile(L"no-such-language-file.lng");
  EXPECT_TRUE(TheLanguageTable().Empty());
  std::wstring name = L"language_test_" + std::to_wstring(GetCurrentProcessId()) + L".lng";
  std::wstring path = TestBinFolder() + L"\\" + name;
  WriteBytes(path, "***messages**\nIDS_BETA here\n");
  ReadLanguageFile(name);
  DeleteFileW(path.c_str());
  EXPECT_EQ(L"here", TextOf(TheLanguageTable(), "s:IDS_BETA"));
}
