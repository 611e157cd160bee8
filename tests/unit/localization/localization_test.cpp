// Strings by id, the key table, message boxes, and the language file reader.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "environment/messages.h"
#include "localization/key_table.h"
#include "localization/language_file.h"
#include "localization/language_table.h"
#include "localization/strings.h"
#include "support/import_patch.h"
#include "support/registry_sandbox.h"
#include "support/scoped_state.h"
#include "support/temp_folder.h"

namespace {

const std::pair<UINT, const wchar_t*> kBuiltIn[] = {
    {5101, L"Bramix gestione archivi"}, {5102, L"Guida a Bramix"}, {5103, L"Manuale di ZPK in modalità carattere"},
    {5104, L"Novità dell'ultima versione"}, {5105, L"Novità.txt"}, {5106, L"Rimuovi Bramix"},
    {5107, L"Rimozione completa"}, {5108, L"Occorre eliminare il file %s manualmente"}, {5109, L"Tutta la "
     L"configurazione, comprese le parole chiavi memorizzate sia nell'organizzatore delle Parole chiavi sia nei "
     L"Profili di compressione, verranno perse a meno che non siano state esportate in precedenza."},
    {5110, L"Avvio la rimozione di Bramix?"}, {5120, L"Impossibile aprire la lista dei file %s"},
    {5121, L"Archivio Bramix"}, {5122, L"Archivio Bramix ZIP"}, {5123, L"Volume ZPK di recupero"},
    {5124, L"https://www.bramix.example/"}, {5125, L"Processa archivi in formato ZPK, ZIP ed altri tipi"},
    {5126, L"Occorre riavviare Windows per completare la disinstallazione di Bramix."}, {5130, L"Questa opzione "
     L"controlla l'integrazione di Bramix in Windows."}, {5131, L"Il primo gruppo di opzioni permette di scegliere i "
     L"tipi di archivi da far gestire a Bramix."}, {5132, L"Il secondo gruppo permette di selezionare dove inserire il "
     L"collegamento all'eseguibile di Bramix."}, {5133, L"L'ultimo gruppo permette di controllare l'integrazione di "
     L"Bramix con Esplora Risorse di Windows."}, {5134, L"L'integrazione con Esplora Risorse fornisce delle utili "
     L"funzioni come la voce \"Estrai\" nel menu contestuale di un archivio, quindi solitamente non c'è ragione per "
     L"disabilitarla."}, {5135, L"Cliccare sul pulsante \"?\" per ottenere una descrizione dettagliata di queste "
     L"opzioni."}, {5140, L"Si sta installando una versione a 32 bit di Bramix in Windows a 64 bit. Potete ottenere "
     L"delle prestazioni superiori ed una miglior integrazione con Windows disinstallando questa versione a 32 bit ed "
     L"installando Bramix a 64 bit."}, {5145, L"Devi riavviare il computer per completare l'installazione."},
    {5150, L"beta"}, {5151, L"32-bit"}, {5152, L"64-bit"}, {5160, L"Se sono disabilitate le voci in cascata dal menu "
     L"contestuale può essere visualizzata solo una voce in questo menu. Questa voce può essere personalizzata "
     L"cliccando su \"Voci del menu contestuale...\"."},
};

LanguageTable& Parse(const std::wstring& lines) {
  WritableLanguageTexts().Clear();
  ParseLanguageText((L"***messages** IDS_ON_THE_MARKER_LINE x\r\n" + lines).c_str(), WritableLanguageTexts());
  return WritableLanguageTexts();
}
std::wstring TextOf(const LanguageTable& table, const std::string& key) {
  return table.Find(key.c_str()) ? *table.Find(key.c_str()) : L"<none>";
}
std::string Utf16(const std::wstring& text) { return {reinterpret_cast<const char*>(text.data()), text.size() * 2}; }
std::wstring Ansi(const std::string& bytes) {
  std::wstring text(bytes.size(), L'\0');
  return text.substr(0, MultiByteToWideChar(CP_ACP, 0, bytes.data(), bytes.size(), text.data(), text.size()));
}

struct LanguageFile : TempFolderTest {
  const LanguageTable& Read(const std::string& bytes) {
    WriteBytes(Path(L"uninstall.lng"), bytes), WritableLanguageTexts().Clear();
    ReadLanguageFile(Path(L"uninstall.lng"));
    return LanguageTexts();
  }
  const ScopedLanguageTable texts_;
};
struct LanguageFolder : RegistrySandbox {};

UINT shownFlags = 0;
int WINAPI RecordMessageBox(HWND, LPCWSTR, LPCWSTR, UINT flags) { shownFlags = flags; return IDYES; }

}  // namespace

TEST(BuiltInStrings, EveryIdHasItsTextAndEveryKeyRowIsFoundByPrefixAndId) {
  const ScopedLanguageTable texts;
  for (auto [id, text] : kBuiltIn) EXPECT_STREQ(text, GetLocalizedString(id)) << id;
  EXPECT_STREQ(L"", GetLocalizedString(5999));
  for (const KeyRow& row : KeyTable())
    EXPECT_TRUE(row.Id == 0 || FindKeyRow(KeyPrefix(row.Name), row.Id) == &row) << row.Name;
  EXPECT_EQ(nullptr, FindKeyRow("$SETUPDL", 5102));
}

TEST(LocalizedStrings, FileWinsDialogKeysNeverNineCallsShareEightBuffersAndBoxesMirror) {
  const ScopedLanguageTable texts;
  Parse(L"IDS_CONTINUEUNINSTALL Start removing Bramix?\r\nIDS_BETA \r\nIDS_BRAMIXHELP " + std::wstring(2000, L'x') +
        L"\r\n:DIALOG SETUPDLG\r\nIDS_UNINSTTITLE Dialog text\r\n");
  const std::pair<UINT, std::wstring> expected[8] = {
      {5110, L"Start removing Bramix?"}, {5102, std::wstring(1023, L'x')}, {5106, L"Rimuovi Bramix"},
      {5101, L"Bramix gestione archivi"}, {5150, L""}, {5999, L""}, {5107, L"Rimozione completa"}, {5151, L"32-bit"}};
  const wchar_t* results[8];
  for (int i = 0; i < 8; ++i) results[i] = GetLocalizedString(expected[i].first);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(expected[i].second, results[i]) << expected[i].first;
  EXPECT_EQ(8u, std::set<const wchar_t*>(results, results + 8).size());
  EXPECT_EQ(results[0], GetLocalizedString(IDS_WHATSNEW));

  ScopedImportPatch recorder("MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox));
  ASSERT_TRUE(recorder.Patched());
  for (bool rightToLeft : {false, true}) {
    const ScopedMessageReadingDirection direction(rightToLeft);
    EXPECT_EQ(IDYES, ShowMessage(nullptr, L"text", L"caption", MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(rightToLeft ? 0x190024u : 0x10024u, shownFlags);
  }
  for (auto [dpi, height] : {std::pair{96, -12}, {100, -12}, {120, -15}}) EXPECT_EQ(height, BoldFontHeightForDpi(dpi));
}

TEST(LanguageText, SectionsKeysEscapesQuotesDirectionAndLimits) {
  const ScopedLanguageTable texts;
  const LanguageTable& table = Parse(
      L"IDS_UNINSTALLZPK Remove Bramix\r\n:DIALOG SETUPDLG\r\nCAPTION Bramix setup\r\n"
      L"; IDS_64BIT x\r\n IDS_64BIT x\r\n7IDS_64BIT x\r\n:strings\r\nIDC_ASSOCZIP\tZIP archives\r\n"
      L":MENU  MAIN extra words\nIDM_OPEN Open\n:DIRECTION RTL\nIDM_SAVE Save\n:STRINGS\n"
      L"IDS_BETA,\"  beta\\tbuild  \"   \nA1 \\\"x\\\"\nA2 \\\\server\\share \\n\\r\\t\\q\\\n"
      L"A3 \"\nA4 say \"hi\"\nA5 \nA6 " + std::wstring(70000, L'z') + L"\n" + std::wstring(60, L'N') +
      L" cut\nLAST last without line end");
  const std::pair<std::string, std::wstring> expected[] = {
      {"s:IDS_UNINSTALLZPK", L"Remove Bramix"}, {"$SETUPDLG:CAPTION", L"Bramix setup"},
      {"$SETUPDLG:IDC_ASSOCZIP", L"ZIP archives"}, {"@MAIN:IDM_OPEN", L"Open"}, {"@MAIN:IDM_SAVE", L"Save"},
      {"s:IDS_BETA", L"  beta\tbuild  "}, {"s:A1", L"x"}, {"s:A2", L"\\server\\share \n\r\t\\q\\"}, {"s:A3", L""},
      {"s:A4", L"say \"hi"}, {"s:A5", L""}, {"s:A6", std::wstring(65536, L'z')}, {"s:" + std::string(47, 'N'), L"cut"},
      {"s:LAST", L"last without line end"}, {"s:IDS_64BIT", L"<none>"}, {"s:IDS_ON_THE_MARKER_LINE", L"<none>"}};
  for (const auto& [key, text] : expected) EXPECT_EQ(text, TextOf(table, key)) << key;
  EXPECT_EQ(14u, table.Size());
  EXPECT_TRUE(table.RightToLeft);
  for (auto text : {L":DIRECTION RTL\n:DIRECTION LTR\n", L":DIRECTION rtl\n", L":DIRECTION RTLX\n", L":DIRECTIONRTL\n"})
    EXPECT_FALSE(Parse(text).RightToLeft) << text;
}

// At most 1M characters are parsed. Then files of distinct keys, ANSI (bytes that are not UTF-8) or UTF-16: whole
// behind a random header (some put the marker across the first block's end, some at the end of the last block of
// 2 MB), cut, damaged, or without a marker in reach.
TEST_F(LanguageFile, SizeLimitsAndRandomCutDamagedAndMarkerlessFiles) {
  std::wstring limit = L"***messages**\r\nIDS_BETA first\r\n";
  limit += std::wstring(0x100000 - limit.size() - 15, L';') + L"\r\nIDS_32BIT inside\r\nIDS_64BIT outside\r\n";
  for (const std::string& file : {Utf16(limit), std::string(limit.begin(), limit.end())})
    EXPECT_EQ(L"ins|<none>", TextOf(Read(file), "s:IDS_32BIT") + L"|" + TextOf(LanguageTexts(), "s:IDS_64BIT"));
  std::mt19937 random(4321);
  auto below = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  auto noise = [&](size_t n) { std::string b(n, '\0'); for (char& c : b) c = static_cast<char>(below(256)); return b; };
  for (int round = 0; round < 3000; ++round) {
    const bool wide = round % 2, big = round % 400 < 8;
    const int mode = round / 2 % 4;
    std::map<std::string, std::wstring> keys;
    std::wstring text = L"***messages**\r\n; comment\r\n";
    for (size_t n = 1 + below(20); n > 0; --n) {
      std::string name = std::to_string(1000000 + below(1000000)).replace(0, 1, "K");
      std::wstring value(below(50) ? 0 : 100000, L'q');
      for (size_t i = below(30); i > 0; --i) value += L"ab z,\x00E8\x00C3\x05D0"[below(wide ? 8 : 7)];
      if (keys.emplace(name, (wide ? value : Ansi(std::string(value.begin(), value.end()))).substr(0, 65535)).second)
        text += std::wstring(name.begin(), name.end()) + (below(2) ? L" \"" : L",\t\"") + value + L"\"\r\n";
    }
    std::string file = wide ? "\xFF\xFE" + Utf16(text) : std::string(text.begin(), text.end());
    switch (mode) {
      case 0:  // nothing is read
        file = big ? std::string(wide ? 3 << 20 : 256 * 8176 + 16, 'x') + file
                   : std::vector<std::string>{"", "\xFF\xFE", "***messages*", noise(below(20000))}[below(4)];
        EXPECT_TRUE(Read(file).Empty()) << round;
        break;
      case 1:  // cut: keys of the file, each with its text or the start of it
      case 2:  // damaged: records within the limits
        if (mode == 1) file.resize(below(file.size() + 1));
        for (int n = mode == 2 ? 3 : 0; n > 0; --n) file.replace(below(file.size() + 1), below(16), noise(below(64)));
        for (const LanguageRecord& r : Read(file).Records())
          EXPECT_TRUE(mode == 2 ? r.Key.find_first_of("s$@") == 0 && r.Key.size() <= 49 && r.Text.size() <= 65536
                                : keys.count(r.Key.substr(2)) && keys[r.Key.substr(2)].starts_with(r.Text)) << r.Key;
        break;
      default:  // whole, the big ones with 3 MB after them: every key
        file = noise(big ? 256 * 8176 + 16 - (wide ? 28 : 13) : below(2) ? below(300) : 8140 + below(60)) + file;
        const LanguageTable& table = Read(file + std::string(big ? 3 << 20 : 0, ';'));
        EXPECT_EQ(keys.size(), table.Size()) << round;
        for (const auto& [name, value] : keys) EXPECT_EQ(value, TextOf(table, "s:" + name)) << round;
    }
  }
}

TEST_F(LanguageFolder, RedirectsOnlyToAFileThatExistsInTheConfiguredFolder) {
  EXPECT_FALSE(LanguageFolderRedirectionBuiltIn());
  std::wstring out, temp(MAX_PATH, L'\0');
  ResolveLanguagePath(L"C:\\x\\uninstall.lng", out);
  EXPECT_EQ(L"C:\\x\\uninstall.lng", out);
  temp.resize(GetEnvironmentVariableW(L"TEMP", temp.data(), MAX_PATH));
  const std::wstring translated = temp + L"\\redirected_uninstall.lng";
  CloseHandle(CreateFileW(translated.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Bramix\\General", L"LanguageFolder", REG_SZ, L"%TEMP%",
                               14));
  RedirectToLanguageFolder(L"C:\\x\\redirected_uninstall.lng", out);
  EXPECT_EQ(translated, out);
  RedirectToLanguageFolder(L"C:\\x\\missing.lng", out);
  EXPECT_EQ(L"C:\\x\\missing.lng", out);
  DeleteFileW(translated.c_str());
}
