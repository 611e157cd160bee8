// Strings by id, the key table, message boxes, and the language file reader.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "environment/messages.h"
#include "localization/key_table.h"
#include "localization/language_file.h"
#include "localization/language_table.h"
#include "localization/strings.h"
#include "support/import_patch.h"
#include "support/registry_sandbox.h"
#include "support/temp_folder.h"

namespace {

// The built-in Italian texts, character for character as the resource file must give them.
const std::tuple<UINT, const char*, const wchar_t*> kBuiltIn[] = {
    {5101, "IDS_UNINSTTITLE", L"Bramix gestione archivi"}, {5102, "IDS_BRAMIXHELP", L"Guida a Bramix"},
    {5103, "IDS_ZPKHELP", L"Manuale di ZPK in modalità carattere"},
    {5104, "IDS_WHATSNEW", L"Novità dell'ultima versione"}, {5105, "IDS_WHATSNEWNAME", L"Novità.txt"},
    {5106, "IDS_UNINSTALLZPK", L"Rimuovi Bramix"}, {5107, "IDS_UNINSTALLCOMPLETED", L"Rimozione completa"},
    {5108, "IDS_UNINSTALLSHOULDDELETE", L"Occorre eliminare il file %s manualmente"},
    {5109, "IDS_SETTINGSWARN",
     L"Tutta la configurazione, comprese le parole chiavi memorizzate sia nell'organizzatore delle Parole chiavi "
     L"sia nei Profili di compressione, verranno perse a meno che non siano state esportate in precedenza."},
    {5110, "IDS_CONTINUEUNINSTALL", L"Avvio la rimozione di Bramix?"},
    {5120, "IDS_CANNOTOPENLIST", L"Impossibile aprire la lista dei file %s"},
    {5121, "IDS_BRAMIXARC", L"Archivio Bramix"}, {5122, "IDS_BRAMIXZIPARC", L"Archivio Bramix ZIP"},
    {5123, "IDS_ZPKRECVOL", L"Volume ZPK di recupero"}, {5124, "IDS_HOMEURL", L"https://www.bramix.example/"},
    {5125, "IDS_BRAMIXDESC", L"Processa archivi in formato ZPK, ZIP ed altri tipi"},
    {5126, "IDS_REBOOTREQUIRED", L"Occorre riavviare Windows per completare la disinstallazione di Bramix."},
    {5130, "IDS_INSTHELP1", L"Questa opzione controlla l'integrazione di Bramix in Windows."},
    {5131, "IDS_INSTHELP2",
     L"Il primo gruppo di opzioni permette di scegliere i tipi di archivi da far gestire a Bramix."},
    {5132, "IDS_INSTHELP3",
     L"Il secondo gruppo permette di selezionare dove inserire il collegamento all'eseguibile di Bramix."},
    {5133, "IDS_INSTHELP4",
     L"L'ultimo gruppo permette di controllare l'integrazione di Bramix con Esplora Risorse di Windows."},
    {5134, "IDS_INSTHELP5",
     L"L'integrazione con Esplora Risorse fornisce delle utili funzioni come la voce \"Estrai\" nel menu "
     L"contestuale di un archivio, quindi solitamente non c'è ragione per disabilitarla."},
    {5135, "IDS_INSTHELP6", L"Cliccare sul pulsante \"?\" per ottenere una descrizione dettagliata di queste opzioni."},
    {5140, "IDS_WARN32BIT",
     L"Si sta installando una versione a 32 bit di Bramix in Windows a 64 bit. Potete ottenere delle prestazioni "
     L"superiori ed una miglior integrazione con Windows disinstallando questa versione a 32 bit ed installando "
     L"Bramix a 64 bit."},
    {5145, "IDS_INSTREBOOTREQUIRED", L"Devi riavviare il computer per completare l'installazione."},
    {5150, "IDS_BETA", L"beta"}, {5151, "IDS_32BIT", L"32-bit"}, {5152, "IDS_64BIT", L"64-bit"},
    {5160, "IDS_SINGLETOPITEM",
     L"Se sono disabilitate le voci in cascata dal menu contestuale può essere visualizzata solo una voce in questo "
     L"menu. Questa voce può essere personalizzata cliccando su \"Voci del menu contestuale...\"."},
};

// Makes these lines, after a marker line, the content of the program's language table.
LanguageTable& Parse(const std::wstring& lines) {
  TheLanguageTable().Clear();
  ParseLanguageText((L"***messages** IDS_ON_THE_MARKER_LINE x\r\n" + lines).c_str(), TheLanguageTable());
  return TheLanguageTable();
}

std::wstring TextOf(const LanguageTable& table, const std::string& key) {
  return table.Find(key.c_str()) ? *table.Find(key.c_str()) : L"<none>";
}

std::string Utf16(const std::wstring& text) { return {reinterpret_cast<const char*>(text.data()), text.size() * 2}; }

std::wstring Ansi(const std::string& bytes) {
  std::wstring text(bytes.size(), L'\0');
  return text.substr(0, MultiByteToWideChar(CP_ACP, 0, bytes.data(), bytes.size(), text.data(), text.size()));
}

class LanguageFile : public TempFolderTest {
 protected:
  const LanguageTable& Read(const std::string& bytes) {
    WriteBytes(Path(L"uninstall.lng"), bytes);
    TheLanguageTable().Clear();
    ReadLanguageFile(Path(L"uninstall.lng"));
    return TheLanguageTable();
  }
};

UINT shownFlags = 0;
int WINAPI RecordMessageBox(HWND, LPCWSTR, LPCWSTR, UINT flags) { shownFlags = flags; return IDYES; }

}  // namespace

TEST(BuiltInStrings, EveryIdHasItsTextAndNameAndEveryKeyRowIsFoundByPrefixAndId) {
  TheLanguageTable().Clear();
  for (auto [id, name, text] : kBuiltIn) {
    EXPECT_STREQ(text, GetLocalizedString(id)) << name;
    EXPECT_STREQ(name, FindKeyRow("s", id) ? FindKeyRow("s", id)->Name + 2 : "<none>");
  }
  std::map<std::string_view, size_t> rowsPerPrefix;
  for (const KeyRow& row : KeyTable()) {
    ++rowsPerPrefix[KeyPrefix(row.Name)];
    EXPECT_TRUE(row.Id == 0 || FindKeyRow(KeyPrefix(row.Name), row.Id) == &row) << row.Name;
  }
  const std::map<std::string_view, size_t> expected = {
      {"s", std::size(kBuiltIn)}, {"$SETUPDLG", 34}, {"$DONEDLG", 10}, {"$SETUPCONTEXTITEMS", 35}};
  EXPECT_EQ(expected, rowsPerPrefix);
  EXPECT_EQ(nullptr, FindKeyRow("$SETUPDL", 5102));
}

TEST(LocalizedStrings, FileStringsWinButDialogKeysNeverAndNineCallsShareEightBuffers) {
  Parse(L"IDS_CONTINUEUNINSTALL Start removing Bramix?\r\nIDS_BETA \r\nIDS_BRAMIXHELP " + std::wstring(2000, L'x') +
        L"\r\n:DIALOG SETUPDLG\r\nIDS_UNINSTTITLE Dialog text\r\n");
  const std::pair<UINT, std::wstring> expected[8] = {
      {5110, L"Start removing Bramix?"}, {5102, std::wstring(1023, L'x')}, {5106, L"Rimuovi Bramix"},
      {5101, L"Bramix gestione archivi"}, {5150, L""}, {5999, L""}, {5107, L"Rimozione completa"},
      {5108, L"Occorre eliminare il file %s manualmente"}};
  const wchar_t* results[8];
  for (int i = 0; i < 8; ++i) results[i] = GetLocalizedString(expected[i].first);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(expected[i].second, results[i]) << expected[i].first;
  EXPECT_EQ(8u, std::set<const wchar_t*>(results, results + 8).size());
  EXPECT_EQ(results[0], GetLocalizedString(IDS_WHATSNEW));
}

TEST(MessagesAndFonts, RightToLeftBoxesReadAndAlignFromTheRightAndTheBoldFontFollowsTheScreen) {
  ScopedImportPatch recorder("MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox));
  ASSERT_TRUE(recorder.Patched());
  TheLanguageTable().Clear();
  EXPECT_EQ(IDYES, ShowMessage(nullptr, L"text", L"caption", MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO));
  EXPECT_EQ(0x10024u, shownFlags);
  TheLanguageTable().RightToLeft = true;
  ShowMessage(nullptr, L"text", L"caption", MB_ICONINFORMATION);
  EXPECT_EQ(0x180040u, shownFlags);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(-(12 * GetDeviceCaps(screen, LOGPIXELSY)) / 96, GetBoldFontHeight());
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(-12, BoldFontHeightForDpi(96));
  EXPECT_EQ(-12, BoldFontHeightForDpi(100));
  EXPECT_EQ(-15, BoldFontHeightForDpi(120));
}

TEST(LanguageText, SectionsKeysEscapesQuotesAndDirection) {
  const LanguageTable& table = Parse(
      L"IDS_UNINSTALLZPK Remove Bramix\r\n:DIALOG SETUPDLG\r\nCAPTION Bramix setup\r\n"
      L"; IDS_64BIT x\r\n IDS_64BIT x\r\n7IDS_64BIT x\r\n:strings\r\nIDC_ASSOCZIP\tZIP archives\r\n"
      L":MENU  MAIN extra words\nIDM_OPEN Open\n:DIRECTION RTL\nIDM_SAVE Save\n:STRINGS\n"
      L"IDS_BETA,\"  beta\\tbuild  \"   \nA1 \\\"x\\\"\nA2 \\\\server\\share \\n\\r\\t\\q\\\n"
      L"A3 \"\nA4 say \"hi\"\nA5 \nDUP one\nDUP two\nA6 " + std::wstring(70000, L'z') + L"\n" +
      std::wstring(60, L'N') + L" cut\nNoDelimiterWithin99Characters\r\n" + std::wstring(80, L'-') + L" x\r\n" +
      L"Name\r\nOther text of the second line\r\nLAST last without line end");
  const std::pair<std::string, std::wstring> expected[] = {
      {"s:IDS_UNINSTALLZPK", L"Remove Bramix"}, {"$SETUPDLG:CAPTION", L"Bramix setup"},
      {"$SETUPDLG:IDC_ASSOCZIP", L"ZIP archives"}, {"@MAIN:IDM_OPEN", L"Open"}, {"@MAIN:IDM_SAVE", L"Save"},
      {"s:IDS_BETA", L"  beta\tbuild  "}, {"s:A1", L"x"}, {"s:A2", L"\\server\\share \n\r\t\\q\\"}, {"s:A3", L""},
      {"s:A4", L"say \"hi"}, {"s:A5", L""}, {"s:A6", std::wstring(65536, L'z')}, {"s:" + std::string(47, 'N'), L"cut"},
      {"s:Name\r\nOther", L"text of the second line"}, {"s:LAST", L"last without line end"},
      {"s:IDS_64BIT", L"<none>"}, {"s:Other", L"<none>"}, {"s:IDS_ON_THE_MARKER_LINE", L"<none>"}};
  for (const auto& [key, text] : expected) EXPECT_EQ(text, TextOf(table, key)) << key;
  EXPECT_EQ(17u, table.Size());  // both lines of DUP
  EXPECT_TRUE(table.RightToLeft);
  for (auto text : {L":DIRECTION RTL\n:DIRECTION LTR\n", L":DIRECTION rtl\n", L":DIRECTION RTLX\n", L":DIRECTIONRTL\n"})
    EXPECT_FALSE(Parse(text).RightToLeft) << text;
}

TEST_F(LanguageFile, ReadsAtMost2MBAndParsesAtMost1MCharacters) {
  std::wstring text = L"***messages**\r\nIDS_BETA first\r\n";
  text += std::wstring(0x100000 - text.size() - 15, L';') + L"\r\nIDS_32BIT inside\r\nIDS_64BIT outside\r\n";
  for (const std::string& file : {Utf16(text), std::string(text.begin(), text.end())}) {
    EXPECT_EQ(L"ins", TextOf(Read(file + std::string(3 << 20, ';')), "s:IDS_32BIT"));
    EXPECT_EQ(L"<none>", TextOf(TheLanguageTable(), "s:IDS_64BIT"));
  }
}

// Files of distinct keys in either encoding (the ANSI texts hold bytes that are not UTF-8): whole behind a random
// header (some of about 8,170 bytes put the marker across the first block's end, some at the end of the last block),
// cut, damaged, or replaced by files without a marker in reach.
TEST_F(LanguageFile, RandomCutDamagedAndMarkerlessFiles) {
  std::mt19937 random(4321);
  auto below = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  auto noise = [&](size_t n) { std::string b(n, '\0'); for (char& c : b) c = static_cast<char>(below(256)); return b; };
  for (int round = 0; round < 3000; ++round) {
    const bool wide = round % 2, big = round % 400 < 8;
    std::map<std::string, std::wstring> keys;
    std::wstring text = L"***messages**\r\n; comment\r\n";
    for (size_t n = 1 + below(20); n > 0; --n) {
      std::string name = std::to_string(1000000 + below(1000000)).replace(0, 1, "K");
      std::wstring value(below(50) ? 0 : 100000, L'q');  // a quoted text keeps 65,535 characters at most
      for (size_t i = below(30); i > 0; --i) value += L"ab z,\x00E8\x00C3\x05D0"[below(wide ? 8 : 7)];
      if (keys.emplace(name, (wide ? value : Ansi(std::string(value.begin(), value.end()))).substr(0, 65535)).second)
        text += std::wstring(name.begin(), name.end()) + (below(2) ? L" \"" : L",\t\"") + value + L"\"\r\n";
    }
    std::string file = wide ? "\xFF\xFE" + Utf16(text) : std::string(text.begin(), text.end());
    switch (round / 2 % 4) {
      case 0:  // nothing is read
        file = big ? std::string(wide ? 3 << 20 : 256 * 8176 + 16, 'x') + file
                   : std::vector<std::string>{"", "\xFF\xFE", "***messages*", noise(below(20000))}[below(4)];
        EXPECT_TRUE(Read(file).Empty()) << round;
        break;
      case 1:  // cut anywhere: keys of the file, each with its text or the start of it
        file.resize(below(file.size() + 1));
        for (const LanguageRecord& r : Read(file).Records())
          EXPECT_TRUE(keys.count(r.Key.substr(2)) && keys[r.Key.substr(2)].starts_with(r.Text)) << r.Key;
        break;
      case 2:  // damaged: records within the limits
        for (int n = 0; n < 3; ++n) file.replace(below(file.size() + 1), below(16), noise(below(64)));
        for (const LanguageRecord& record : Read(file).Records())
          EXPECT_TRUE(record.Key.find_first_of("s$@") == 0 && record.Key.size() <= 49 && record.Text.size() <= 65536);
        break;
      default:  // whole, the big ones with 3 MB after them: every key
        file = noise(big ? 256 * 8176 + 16 - (wide ? 28 : 13) : below(2) ? below(300) : 8140 + below(60)) + file;
        const LanguageTable& table = Read(file + std::string(big ? 3 << 20 : 0, ';'));
        EXPECT_EQ(keys.size(), table.Size()) << round;
        for (const auto& [name, value] : keys) EXPECT_EQ(value, TextOf(table, "s:" + name)) << round;
    }
  }
}

class LanguageFolder : public RegistrySandbox {};

TEST_F(LanguageFolder, RedirectsOnlyToAFileThatExistsInTheConfiguredFolder) {
  EXPECT_FALSE(LanguageFolderRedirectionBuiltIn());  // as delivered the marker reads LngFolder0
  std::wstring out;
  ResolveLanguagePath(L"C:\\x\\uninstall.lng", out);
  EXPECT_EQ(L"C:\\x\\uninstall.lng", out);

  wchar_t temp[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  const std::wstring translated = std::wstring(temp) + L"\\redirected_uninstall.lng";
  CloseHandle(CreateFileW(translated.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Bramix\\General", L"LanguageFolder",
                                           REG_SZ, L"%TEMP%", 14));
  RedirectToLanguageFolder(L"C:\\x\\redirected_uninstall.lng", out);
  EXPECT_EQ(translated, out);
  RedirectToLanguageFolder(L"C:\\x\\missing.lng", out);
  EXPECT_EQ(L"C:\\x\\missing.lng", out);
  DeleteFileW(translated.c_str());
}
