#include "integration/associations.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "environment/paths.h"
#include "integration/new_menu.h"
#include "integration/options_storage.h"
#include "localization/strings.h"
#include "resources/resource_ids.h"
#include "settings/registry.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kExistValue[] = L"Exist";
constexpr wchar_t kTypeValue[] = L"Type";
constexpr wchar_t kShellNewValue[] = L"ShellNew";

// One ProgID of the product; `Extension` is the one extension that it is
// registered for here, if any.
struct ProgIdRow {
  const wchar_t* Name;
  UINT DescriptionId;
  const wchar_t* IconIndex;
  const wchar_t* Extension;
};

constexpr ProgIdRow kProgIds[] = {
    {kProductProgId, IDS_BRAMIXARC, L",0", nullptr},
    {kProductZipProgId, IDS_BRAMIXZIPARC, L",0", nullptr},
    {kProductRevProgId, IDS_ZPKRECVOL, L",1", L".rev"},
};

bool IsProductProgId(const std::wstring& name) {
  return StrCompareNoCase(name.c_str(), kProductProgId) == 0 || StrCompareNoCase(name.c_str(), kProductZipProgId) == 0;
}

// Written only before the product's first take-over, so that it keeps the owner
// from before the product.
void SavePreviousAssociation(const wchar_t* extension) {
  const std::wstring shellNew = std::wstring(extension) + L"\\ShellNew";
  std::wstring type;
  std::wstring file;
  std::wstring nullFile;
  static_cast<void>(GetRegText(HKEY_CLASSES_ROOT, extension, L"", type, L""));
  static_cast<void>(GetRegText(HKEY_CLASSES_ROOT, shellNew.c_str(), L"FileName", file, L""));
  const bool hasNull = GetRegText(HKEY_CLASSES_ROOT, shellNew.c_str(), L"NullFile", nullFile, L"");
  const bool existed = ClassKeyExists(extension);
  const std::wstring record = PreviousAssociationKey(extension);
  SetRegDword(record.c_str(), kExistValue, existed ? 1 : 0);
  SetRegString(record.c_str(), kTypeValue, type.c_str());
  SetRegString(record.c_str(), kShellNewValue, file.empty() && hasNull ? L"*" : file.c_str());
}

void TakeOver(const wchar_t* extension, bool isOwn, bool isZip, bool wantNew) {
  if (!IsOwnedByProduct(extension)) SavePreviousAssociation(extension);
  SetRegString(HKEY_CLASSES_ROOT, extension, L"", isZip ? kProductZipProgId : kProductProgId);
  if (wantNew && (isZip || isOwn)) InstallNewMenuTemplate(extension, isOwn);
}

// The previous ProgID comes back, never one of the product's own. A key that did
// not exist before is deleted, which fails while it has subkeys: it then stays
// with an empty default value.
void RestorePreviousOwner(const wchar_t* extension, bool exist) {
  std::wstring type;
  static_cast<void>(GetRegText(PreviousAssociationKey(extension).c_str(), kTypeValue, type, L""));
  if (IsProductProgId(type)) type.clear();
  if (exist) {
    SetRegString(HKEY_CLASSES_ROOT, extension, L"", type.c_str());
    return;
  }
  SetRegString(HKEY_CLASSES_ROOT, extension, L"", L"");
  RemoveRegKey(HKEY_CLASSES_ROOT, extension);
}

void GiveBack(const wchar_t* extension, bool associate, bool isOwn, bool isZip) {
  const bool exist = GetRegDword(PreviousAssociationKey(extension).c_str(), kExistValue, 1) != 0;
  // The New menu entry goes first: a key that did not exist before can only be
  // deleted once the ShellNew subkey that the product gave it is gone.
  if (isZip || isOwn) RestoreNewMenuEntry(extension, exist);
  if (!associate) RestorePreviousOwner(extension, exist);
}

// The icon is set only where none is: an icon that a theme or the user chose stays.
void SetIconIfMissing(const std::wstring& progId, const std::wstring& icon) {
  const std::wstring key = progId + L"\\DefaultIcon";
  std::wstring current;
  static_cast<void>(GetRegText(HKEY_CLASSES_ROOT, key.c_str(), L"", current, L""));
  if (current.empty()) SetRegString(HKEY_CLASSES_ROOT, key.c_str(), L"", icon.c_str());
}

}  // namespace

void AssociateExtension(const wchar_t* extension, bool associate, bool shellExt, bool isOwn, bool isZip) {
  const bool wantNew = DecideNewMenu(shellExt, isOwn, isZip);
  if (associate) TakeOver(extension, isOwn, isZip, wantNew);
  if (IsOwnedByProduct(extension) && (!associate || !wantNew)) GiveBack(extension, associate, isOwn, isZip);
}

void ReleaseExtension(const wchar_t* extension) { AssociateExtension(extension, false, false, false, false); }

void AssociateFormats(const IntegrationOptions& options) {
  for (size_t row = 0; row < ArchiveFormats.size(); ++row)
    for (const std::wstring& extension : SplitExtensionList(ArchiveFormats[row].Extensions))
      AssociateExtension(extension.c_str(), options.Formats[row], options.ShellExt, row == 0, row == 1);
}

bool RegisterProgIds() {
  const std::wstring program = GetModuleFolderFile(kProgramFileName);
  const std::wstring command = L"\"" + program + L"\" \"%1\"";
  for (const ProgIdRow& progId : kProgIds) {
    if (progId.Extension) SetRegString(HKEY_CLASSES_ROOT, progId.Extension, L"", progId.Name);
    const LONG status = SetRegString(HKEY_CLASSES_ROOT, progId.Name, L"", GetLocalizedString(progId.DescriptionId));
    // Only a denied first write stops the registration; the caller then applies nothing more.
    if (&progId == &kProgIds[0] && status == ERROR_ACCESS_DENIED) return false;
    const std::wstring name = progId.Name;
    SetRegString(HKEY_CLASSES_ROOT, (name + L"\\shell\\open\\command").c_str(), L"", command.c_str());
    SetIconIfMissing(name, program + progId.IconIndex);
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return true;
}
