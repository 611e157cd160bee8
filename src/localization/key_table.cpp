#include "localization/key_table.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr KeyRow kKeyTable[] = {
    {"s:IDS_UNINSTTITLE", 5101},
    {"s:IDS_BRAMIXHELP", 5102},
    {"s:IDS_ZPKHELP", 5103},
    {"s:IDS_WHATSNEW", 5104},
    {"s:IDS_WHATSNEWNAME", 5105},
    {"s:IDS_UNINSTALLZPK", 5106},
    {"s:IDS_UNINSTALLCOMPLETED", 5107},
    {"s:IDS_UNINSTALLSHOULDDELETE", 5108},
    {"s:IDS_SETTINGSWARN", 5109},
    {"s:IDS_CONTINUEUNINSTALL", 5110},
    {"s:IDS_CANNOTOPENLIST", 5120},
    {"s:IDS_BRAMIXARC", 5121},
    {"s:IDS_BRAMIXZIPARC", 5122},
    {"s:IDS_ZPKRECVOL", 5123},
    {"s:IDS_HOMEURL", 5124},
    {"s:IDS_BRAMIXDESC", 5125},
    {"s:IDS_REBOOTREQUIRED", 5126},
    {"s:IDS_INSTHELP1", 5130},
    {"s:IDS_INSTHELP2", 5131},
    {"s:IDS_INSTHELP3", 5132},
    {"s:IDS_INSTHELP4", 5133},
    {"s:IDS_INSTHELP5", 5134},
    {"s:IDS_INSTHELP6", 5135},
    {"s:IDS_WARN32BIT", 5140},
    {"s:IDS_INSTREBOOTREQUIRED", 5145},
    {"s:IDS_BETA", 5150},
    {"s:IDS_32BIT", 5151},
    {"s:IDS_64BIT", 5152},
    {"s:IDS_SINGLETOPITEM", 5160},

    {"$SETUPDLG:SIZE", 0},
    {"$SETUPDLG:CAPTION", 0},
    {"$SETUPDLG:IDC_ASSOCWITH", 5129},
    {"$SETUPDLG:IDC_ASSOCZPK", 5101},
    {"$SETUPDLG:IDC_ASSOCZIP", 5102},
    {"$SETUPDLG:IDC_ASSOC7Z", 5106},
    {"$SETUPDLG:IDC_ASSOCARJ", 5104},
    {"$SETUPDLG:IDC_ASSOCBZ2", 5110},
    {"$SETUPDLG:IDC_ASSOCCAB", 5103},
    {"$SETUPDLG:IDC_ASSOCGZ", 5108},
    {"$SETUPDLG:IDC_ASSOCISO", 5112},
    {"$SETUPDLG:IDC_ASSOCJAR", 5111},
    {"$SETUPDLG:IDC_ASSOCLZ", 5115},
    {"$SETUPDLG:IDC_ASSOCLZH", 5105},
    {"$SETUPDLG:IDC_ASSOCTAR", 5107},
    {"$SETUPDLG:IDC_ASSOCUUE", 5109},
    {"$SETUPDLG:IDC_ASSOCXZ", 5113},
    {"$SETUPDLG:IDC_ASSOCZ", 5114},
    {"$SETUPDLG:IDC_ASSOCZIPX", 5116},
    {"$SETUPDLG:IDC_ASSOCZST", 5117},
    {"$SETUPDLG:IDC_ASSOC001", 5118},
    {"$SETUPDLG:IDC_ASSOCALL", 5126},
    {"$SETUPDLG:IDC_INTEGRATIONINTERFACE", 5130},
    {"$SETUPDLG:IDC_LINKDESKTOP", 5119},
    {"$SETUPDLG:IDC_LINKSTARTMENU", 5120},
    {"$SETUPDLG:IDC_LINKPROGRAMS", 5121},
    {"$SETUPDLG:IDC_SHELLINTEGRATION", 5131},
    {"$SETUPDLG:IDC_SHELLEXT", 5122},
    {"$SETUPDLG:IDC_SHELLCASCADED", 5123},
    {"$SETUPDLG:IDC_SHELLICONS", 5124},
    {"$SETUPDLG:IDC_SHELLLEGACYMENU", 5125},
    {"$SETUPDLG:IDC_SETCONTEXTMENU", 5128},
    {"$SETUPDLG:IDOK", 1},
    {"$SETUPDLG:IDHELP", 9},

    {"$DONEDLG:SIZE", 0},
    {"$DONEDLG:CAPTION", 0},
    {"$DONEDLG:IDOK", 1},
    {"$DONEDLG:IDC_INSTINFOFOLDER", 5101},
    {"$DONEDLG:IDC_INSTINFOOPTIONS", 5103},
    {"$DONEDLG:IDC_INSTINFOHELP", 5104},
    {"$DONEDLG:IDC_VIEWHELP", 5105},
    {"$DONEDLG:IDC_VIEWLICENSE", 5106},
    {"$DONEDLG:IDC_HOMEPAGE", 5108},
    {"$DONEDLG:IDC_THANKS", 5109},

    {"$SETUPCONTEXTITEMS:SIZE", 0},
    {"$SETUPCONTEXTITEMS:CAPTION", 0},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTMENUITEMS", 128},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTEXTRACTTO", 101},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTEXTRACTHERE", 102},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTEXTRACT", 103},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTEXTRACTSEPARATE", 104},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTOPENSFX", 105},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTOPENARC", 106},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTADD", 107},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTADDARC", 108},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTEMAILARC", 109},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTEMAILARCOPT", 110},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTTEST", 111},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTCONVERT", 112},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTTOPEXTRACT", 113},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTTOPEXTRACTTO", 114},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTTOPEXTRACTHERE", 115},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTTOPEXTRACTSEPARATE", 116},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTTOPADDARC", 117},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTTOPADD", 118},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTNEWMENU", 119},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTNEWZPK", 120},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTNEWZIP", 121},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTDROPMENU", 129},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTDRAGADD", 122},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTDRAGEXTRACT", 123},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTSFXARCHIVES", 130},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTSFXLOCAL", 124},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTSFXNETWORK", 125},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTSFXOTHER", 126},
    {"$SETUPCONTEXTITEMS:IDC_CONTEXTALWAYSARCTITLE", 131},
    {"$SETUPCONTEXTITEMS:IDOK", 1},
    {"$SETUPCONTEXTITEMS:IDCANCEL", 2},
    {"$SETUPCONTEXTITEMS:IDHELP", 9},
};

// Prefixes compare byte by byte as unsigned characters, as strcmp does.
bool RowLess(const KeyRow* a, std::string_view prefix, unsigned id) {
  int order = KeyPrefix(a->Name).compare(prefix);
  return order < 0 || (order == 0 && a->Id < id);
}

const std::vector<const KeyRow*>& KeyIndex() {
  static const std::vector<const KeyRow*> index = [] {
    std::vector<const KeyRow*> rows;
    for (const KeyRow& row : kKeyTable) rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const KeyRow* a, const KeyRow* b) { return RowLess(a, KeyPrefix(b->Name), b->Id); });
    return rows;
  }();
  return index;
}

}  // namespace

std::span<const KeyRow> KeyTable() { return kKeyTable; }

std::string_view KeyPrefix(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon ? std::string_view(name, colon - name) : std::string_view(name);
}

void BuildKeyIndex() { KeyIndex(); }

const KeyRow* FindKeyRow(std::string_view prefix, unsigned id) {
  const auto& index = KeyIndex();
  auto found = std::lower_bound(index.begin(), index.end(), 0,
                                [&](const KeyRow* row, int) { return RowLess(row, prefix, id); });
  if (found == index.end() || KeyPrefix((*found)->Name) != prefix || (*found)->Id != id) return nullptr;
  return *found;
}
