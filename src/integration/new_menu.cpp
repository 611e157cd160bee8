#include "integration/new_menu.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "environment/paths.h"
#include "files/file_system.h"
#include "settings/registry.h"

namespace {

constexpr wchar_t kMenuItemsKey[] = L"Setup\\MenuItems";
constexpr wchar_t kFileNameValue[] = L"FileName";
constexpr wchar_t kNullFileValue[] = L"NullFile";
constexpr wchar_t kPreviousShellNewValue[] = L"ShellNew";

constexpr size_t kZpkImageSize = 24;
constexpr size_t kZipImageSize = 22;

// The images of an empty archive lack their first byte, which is set only in the
// copy that is written: the program file never holds either image whole.
constexpr unsigned char kZpkImage[kZpkImageSize] = {
    0x00, 'p',  'k',  '!',  0x1A, 0x07, 0x01, 0x00,   // signature
    0xC1, 0xDF, 0x5F, 0x56, 0x03, 0x01, 0x04, 0x00,   // main archive header
    0x1D, 0x77, 0x56, 0x51, 0x03, 0x05, 0x04, 0x00};  // end of archive
constexpr unsigned char kZipImage[kZipImageSize] = {0x00, 0x4B, 0x05, 0x06};  // end of central directory

struct TemplateFile {
  const wchar_t* Name;
  const unsigned char* Image;
  size_t Size;
  unsigned char FirstByte;
};

constexpr TemplateFile kZpkTemplate = {L"zpknew.dat", kZpkImage, kZpkImageSize, 'Z'};
constexpr TemplateFile kZipTemplate = {L"zipnew.dat", kZipImage, kZipImageSize, 0x50};

std::wstring ShellNewKey(const wchar_t* extension) { return std::wstring(extension) + L"\\ShellNew"; }

// Creates or truncates the file and writes the whole image; a file that cannot be
// opened is left as it is.
void WriteTemplate(const std::wstring& path, const TemplateFile& file) {
  UniqueStream stream = OpenStream(path, L"wb");
  if (!stream) return;
  unsigned char image[kZpkImageSize];
  std::copy(file.Image, file.Image + file.Size, image);
  image[0] = file.FirstByte;
  fwrite(image, 1, file.Size, stream.get());
}

}  // namespace

std::wstring PreviousAssociationKey(const wchar_t* extension) { return std::wstring(L"Setup\\") + extension; }

bool DecideNewMenu(bool shellExt, bool isOwn, bool isZip) {
  // Both choices are read for every extension, whatever its row.
  const bool ownOff = GetRegDword(kMenuItemsKey, L"NewZPK", 1) == 0 && isOwn;
  const bool zipOff = GetRegDword(kMenuItemsKey, L"NewZIP", 1) == 0 && isZip;
  return shellExt && !ownOff && !zipOff;
}

void InstallNewMenuTemplate(const wchar_t* extension, bool isOwn) {
  const std::wstring shellNew = ShellNewKey(extension);
  RemoveRegKey(HKEY_CLASSES_ROOT, shellNew.c_str());
  const TemplateFile& file = isOwn ? kZpkTemplate : kZipTemplate;
  const std::wstring path = GetModuleFolderFile(file.Name);
  FoundFile found;
  if (!FindOne(path, found) || found.Size != file.Size) WriteTemplate(path, file);
  SetRegString(HKEY_CLASSES_ROOT, shellNew.c_str(), kFileNameValue, path.c_str());
}

void RestoreNewMenuEntry(const wchar_t* extension, bool exist) {
  const std::wstring shellNew = ShellNewKey(extension);
  if (!exist) {
    RemoveRegKey(HKEY_CLASSES_ROOT, shellNew.c_str());
    return;
  }
  std::wstring previous;
  static_cast<void>(GetRegText(PreviousAssociationKey(extension).c_str(), kPreviousShellNewValue, previous, L""));
  RemoveRegValue(HKEY_CLASSES_ROOT, shellNew.c_str(), kFileNameValue);
  if (previous.empty()) return;
  if (previous[0] == L'*')
    SetRegString(HKEY_CLASSES_ROOT, shellNew.c_str(), kNullFileValue, L"");
  else
    SetRegString(HKEY_CLASSES_ROOT, shellNew.c_str(), kFileNameValue, previous.c_str());
}
