#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "localization/key_table.h"
#include "localization/strings.h"
#include "support/registry_sandbox.h"
#include "unit/localization/language_test_files.h"

namespace {

struct BuiltInString {
  UINT Id;
  const char* Name;
  const wchar_t* Text;
};

const BuiltInString kBuiltIn[] = {
    {5101, "IDS_UNINSTTITLE", L"Bramix gestione archivi"},
    {5102, "IDS_BRAMIXHELP", L"Guida a Bramix"},
    {5103, "IDS_ZPKHELP", L"Manuale di ZPK in modalità carattere"},
    {5104, "IDS_WHATSNEW", L"Novità dell'ultima versione"},
    {5105, "IDS_WHATSNEWNAME", L"Novità.txt"},
    {5106, "IDS_UNINSTALLZPK", L"Rimuovi Bramix"},
    {5107, "IDS_UNINSTALLCOMPLETED", L"Rimozione completa"},
    {5108, "IDS_UNINSTALLSHOULDDELETE", L"Occorre eliminare il file %s manualmente"},
    {5109, "IDS_SETTINGSWARN",
     L"Tutta la configurazione, comprese le parole chiavi memorizzate sia nell'organizzatore delle Parole chiavi "
     L"sia nei Profili di compressione, verranno perse a meno che non siano state esportate in precedenza."},
    {5110, "IDS_CONTINUEUNINSTALL", L"Avvio la rimozione di Bramix?"},
    {5120, "IDS_CANNOTOPENLIST", L"Impossibile aprire la lista dei file %s"},
    {5121, "IDS_BRAMIXARC", L"Archivio Bramix"},
    {5122, "IDS_BRAMIXZIPARC", L"Archivio Bramix ZIP"},
    {5123, "IDS_ZPKRECVOL", L"Volume ZPK di recupero"},
    {5124, "IDS_HOMEURL", L"https://www.bramix.example/"},
    {5125, "IDS_BRAMIXDESC", L"Processa archivi in formato ZPK, ZIP ed altri tipi"},
    {5126, "IDS_REBOOTREQUIRED", L"Occorre riavviare Windows per completare la disinstallazione di Bramix."},
    {5130, "IDS_INSTHELP1", L"Questa opzione controlla l'integrazione di Bramix in Windows."},
    {5131, "IDS_INSTHELP2", L"Il primo gruppo di opzioni permette di scegliere i tipi di archivi da far gestire a Bramix."},
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
    {5150, "IDS_BETA", L"beta"},
    {5151, "IDS_32BIT", L"32-bit"},
    {5152, "IDS_64BIT", L"64-bit"},
    {5160, "IDS_SINGLETOPITEM",
     L"Se sono disabilitate le voci in cascata dal menu contestuale può essere visualizzata solo una voce in questo "
     L"menu. Questa voce può essere personalizzata cliccando su \"Voci del menu contestuale...\"."},
};

std::wstring ResourceText(UINT id) {
  wchar_t buffer[kLocalizedBufferSize] = {};
  LoadStringW(ProgramModule(), id, buffer, kLocalizedBufferSize);
  return buffer;
}

void UseLanguageLines(const std::wstring& lines) {
  std::wstring text = L"***messages**\r\n" + lines;
  TheLanguageTable().Clear();
  ParseLanguageText(text.c_str(), TheLanguageTable());
}

}  // namespace

TEST(BuiltInStrings, EveryIdHasItsTextAndItsStringRow) {
  std::set<UINT> ids;
  for (const BuiltInString& row : kBuiltIn) {
    SCOPED_TRACE(row.Name);
    ids.insert(row.Id);
    EXPECT_EQ(row.Text, ResourceText(row.Id));
    const KeyRow* key = FindKeyRow("s", row.Id);
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(std::string("s:") + row.Name, key->Name);
  }
  for (UINT id = 5100; id <= 5161; ++id) {
    if (!ids.count(id)) {
      EXPECT_EQ(L"", ResourceText(id)) << id;
    }
  }
  size_t stringRows = 0;
  for (const KeyRow& row : KeyTable()) {
    if (KeyPrefix(row.Name) != "s") continue;
    ++stringRows;
    EXPECT_TRUE(ids.count(row.Id)) << row.Name;
  }
  EXPECT_EQ(std::size(kBuiltIn), stringRows);
}

TEST(KeyTable, DialogRowsAreFoundByPrefixAndId) {
  size_t setup = 0, done = 0, items = 0;
  std::set<std::string> names;
  for (const KeyRow& row : KeyTable()) {
    EXPECT_LE(std::strlen(row.Name), 49u) << row.Name;
    EXPECT_TRUE(names.insert(row.Name).second) << row.Name;
    std::string_view prefix = KeyPrefix(row.Name);
    setup += prefix == "$SETUPDLG";
    done += prefix == "$DONEDLG";
    items += prefix == "$SETUPCONTEXTITEMS";
    if (row.Id != 0) {
      EXPECT_EQ(&row, FindKeyRow(prefix, row.Id)) << row.Name;
    }
  }
  EXPECT_EQ(34u, setup);
  EXPECT_EQ(10u, done);
  EXPECT_EQ(35u, items);
  EXPECT_STREQ("$SETUPDLG:IDC_ASSOCZIP", FindKeyRow("$SETUPDLG", 5102)->Name);
  EXPECT_STREQ("$DONEDLG:IDC_INSTINFOFOLDER", FindKeyRow("$DONEDLG", 5101)->Name);
  EXPECT_STREQ("$SETUPCONTEXTITEMS:IDCANCEL", FindKeyRow("$SETUPCONTEXTITEMS", 2)->Name);
  EXPECT_EQ(nullptr, FindKeyRow("$DONEDLG", 5102));
  EXPECT_EQ(nullptr, FindKeyRow("s", 5111));
  EXPECT_EQ(nullptr, FindKeyRow("$SETUPDL", 5102));
}

TEST(LocalizedStrings, LanguageFileWinsOverResourcesForStringKeysOnly) {
  ClearLanguageTableAfter clear;
  TheLanguageTable().Clear();
  EXPECT_STREQ(L"Avvio la rimozione di Bramix?", GetLocalizedString(IDS_CONTINUEUNINSTALL));
  EXPECT_STREQ(L"", GetLocalizedString(5999));

  UseLanguageLines(
      L"IDS_CONTINUEUNINSTALL Start removing Bramix?\r\n"
      L"IDS_BETA \r\n"
      L":DIALOG SETUPDLG\r\n"
      L"IDS_UNINSTTITLE Dialog text\r\n"
      L"IDS_UNKNOWN Stored but never a string\r\n");
  EXPECT_STREQ(L"Start removing Bramix?", GetLocalizedString(IDS_CONTINUEUNINSTALL));
  EXPECT_STREQ(L"Rimuovi Bramix", GetLocalizedString(IDS_UNINSTALLZPK));
  EXPECT_STREQ(L"Bramix gestione archivi", GetLocalizedString(IDS_UNINSTTITLE));
  EXPECT_STREQ(L"", GetLocalizedString(IDS_BETA));
  EXPECT_STREQ(L"", GetLocalizedString(5999));

  wchar_t buffer[8] = L"keep";
  EXPECT_FALSE(FindLanguageText("s:IDS_UNINSTTITLE", buffer, 8));
  EXPECT_STREQ(L"keep", buffer);
  EXPECT_TRUE(FindLanguageText("$SETUPDLG:IDS_UNINSTTITLE", buffer, 8));
  EXPECT_STREQ(L"Dialog ", buffer);
  EXPECT_TRUE(FindLanguageText("$SETUPDLG:IDS_UNKNOWN", buffer, 8));
}

TEST(LocalizedStrings, EightRotatingBuffersOfAtMost1023Units) {
  ClearLanguageTableAfter clear;
  UseLanguageLines(L"IDS_BRAMIXHELP " + std::wstring(2000, L'x') + L"\r\n");
  const UINT ids[9] = {5101, 5102, 5103, 5104, 5105, 5106, 5107, 5108, 5110};
  const wchar_t* results[9];
  for (int i = 0; i < 9; ++i) results[i] = GetLocalizedString(ids[i]);
  EXPECT_EQ(std::wstring(1023, L'x'), results[1]);
  for (int i = 0; i < 8; ++i)
    for (int j = i + 1; j < 8; ++j) EXPECT_NE(results[i], results[j]);
  EXPECT_EQ(results[0], results[8]);
  EXPECT_STREQ(L"Avvio la rimozione di Bramix?", results[0]);
  EXPECT_STREQ(L"Occorre eliminare il file %s manualmente", results[7]);
}

TEST(LanguageDll, WithoutTheLibraryEveryResourceComesFromTheProgram) {
  HMODULE program = GetModuleHandleW(nullptr);
  LoadLanguageDll(program);
  EXPECT_FALSE(IsLanguageDllLoaded());
  EXPECT_EQ(program, ProgramModule());
  EXPECT_EQ(program, ResourceModule());
  FreeLanguageDll();
  EXPECT_EQ(program, ResourceModule());
}

TEST(LanguageFolder, BuiltOffAsDeliveredWithTheMarkerInTheProgram) {
#ifdef UNINSTALL_LANGUAGE_FOLDER
  EXPECT_TRUE(LanguageFolderRedirectionBuiltIn());
  const char* marker = "LngFolder1";
#else
  EXPECT_FALSE(LanguageFolderRedirectionBuiltIn());
  const char* marker = "LngFolder0";
#endif
  std::ifstream program(BuiltUninstallExe().c_str(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(program)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::string::npos, bytes.find(marker));
}

class LanguageFolderRedirection : public RegistrySandbox {
 protected:
  void SetFolder(const std::wstring& folder) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Bramix\\General", 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExW(key, L"LanguageFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  LanguageFolder files_;
};

TEST_F(LanguageFolderRedirection, TakesTheFileFromTheFolderOnlyWhenItExists) {
  const std::wstring in = L"C:\\Program Files\\Bramix\\uninstall.lng";
  std::wstring out = L"old";
  RedirectToLanguageFolder(in, out);
  EXPECT_EQ(in, out);

  WriteBytes(files_.Path(L"uninstall.lng"), "x");
  ScopedEnvVar folder(L"LNGTESTFOLDER", files_.Folder().c_str());
  SetFolder(L"%LNGTESTFOLDER%");
  RedirectToLanguageFolder(in, out);
  EXPECT_EQ(files_.Path(L"uninstall.lng"), out);
  out = L"uninstall.lng";
  RedirectToLanguageFolder(out, out);
  EXPECT_EQ(files_.Path(L"uninstall.lng"), out);

  RedirectToLanguageFolder(L"C:\\Bramix/zpklng.dll", out);
  EXPECT_EQ(L"C:\\Bramix/zpklng.dll", out);
}
