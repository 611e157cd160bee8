#include "localization/strings.h"

#include <cstdint>

#include "environment/paths.h"
#include "environment/unique_handle.h"
#include "localization/key_table.h"
#include "localization/language_table.h"
#include "text/text_utils.h"

#ifdef UNINSTALL_LANGUAGE_FOLDER
#define LANGUAGE_FOLDER_MARKER "LngFolder1"
#else
#define LANGUAGE_FOLDER_MARKER "LngFolder0"
#endif

namespace {

// Kept in the program's constant data and read at run time, so that the switch
// can be told, and set, in the built file.
const volatile char kLanguageFolderMarker[] = LANGUAGE_FOLDER_MARKER;

constexpr size_t kRotatingBuffers = 8;
constexpr DWORD kMaxFolderChars = 65536;

HMODULE programModule = nullptr;

// Freed by the entry routine as one of the run's last steps (and earlier by the
// uninstall run), so it is empty by the time static objects go away.
UniqueModule languageDll;

wchar_t resultBuffers[kRotatingBuffers][kLocalizedBufferSize];
uint32_t rotationIndex = 0;

DWORD LanguageDllLoadFlags() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
      version.dwMajorVersion > 5)
    return LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE;
  return LOAD_LIBRARY_AS_DATAFILE;
}

bool ReadLanguageFolder(std::wstring& folder) {
  UniqueHkey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Bramix\\General", 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return false;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), L"LanguageFolder", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
  DWORD chars = size / sizeof(wchar_t) + 1;
  if (chars > kMaxFolderChars) chars = kMaxFolderChars;
  std::wstring text(chars, L'\0');
  DWORD bytes = chars * sizeof(wchar_t);
  if (RegQueryValueExW(key.get(), L"LanguageFolder", nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
      ERROR_SUCCESS)
    return false;
  text.resize(bytes / sizeof(wchar_t) < chars ? bytes / sizeof(wchar_t) : chars);
  folder.assign(text.c_str());
  return true;
}

}  // namespace

HMODULE ProgramModule() { return programModule ? programModule : GetModuleHandleW(nullptr); }

HMODULE ResourceModule() { return languageDll ? languageDll.get() : ProgramModule(); }

bool IsLanguageDllLoaded() { return static_cast<bool>(languageDll); }

void LoadLanguageDll(HMODULE program) {
  FreeLanguageDll();
  programModule = program;
  std::wstring path;
  ResolveLanguagePath(GetModuleFolderFile(L"zpklng.dll"), path);
  languageDll.reset(LoadLibraryExW(path.c_str(), nullptr, LanguageDllLoadFlags()));
}

void FreeLanguageDll() { languageDll.reset(); }

bool LanguageFolderRedirectionBuiltIn() {
  for (size_t i = 0; kLanguageFolderMarker[i] != '\0'; ++i)
    if (kLanguageFolderMarker[i] == '1') return true;
  return false;
}

void RedirectToLanguageFolder(const std::wstring& in, std::wstring& out) {
  std::wstring name = GetNamePart(in);
  out = in;
  std::wstring folder;
  if (!ReadLanguageFolder(folder)) return;
  ExpandEnvVars(folder);
  std::wstring redirected = MakeName(folder, name);
  if (GetFileAttributesW(redirected.c_str()) != INVALID_FILE_ATTRIBUTES) out = redirected;
}

void ResolveLanguagePath(const std::wstring& in, std::wstring& out) {
  if (LanguageFolderRedirectionBuiltIn())
    RedirectToLanguageFolder(in, out);
  else
    out = in;
}

bool FindLanguageText(const char* key, wchar_t* buffer, size_t capacity) {
  const LanguageTable& table = LanguageTexts();
  if (table.Empty()) return false;
  const std::wstring* text = table.Find(key);
  if (!text) return false;
  CopyTextBounded(buffer, text->c_str(), capacity);
  return true;
}

wchar_t* LoadLocalizedString(UINT id, wchar_t* buffer) {
  buffer[0] = L'\0';
  if (!LanguageTexts().Empty()) {
    const KeyRow* row = FindKeyRow("s", id);
    if (row && FindLanguageText(row->Name, buffer, kLocalizedBufferSize)) return buffer;
  }
  if (LoadStringW(ResourceModule(), id, buffer, kLocalizedBufferSize) > 0) return buffer;
  buffer[0] = L'\0';
  if (LoadStringW(ProgramModule(), id, buffer, kLocalizedBufferSize) <= 0) buffer[0] = L'\0';
  return buffer;
}

const wchar_t* GetLocalizedString(UINT id) {
  if (++rotationIndex >= kRotatingBuffers) rotationIndex = 0;
  return LoadLocalizedString(id, resultBuffers[rotationIndex]);
}

// The language file and the language library are not trusted to say what a
// format's arguments are: a conversion the caller does not pass would read, or
// with %n write, whatever lies where the argument should be. So a translation is
// a format only when it asks for exactly what the program's own text asks for.
std::wstring GetLocalizedFormat(UINT id) {
  wchar_t builtIn[kLocalizedBufferSize];
  if (LoadStringW(ProgramModule(), id, builtIn, kLocalizedBufferSize) <= 0) builtIn[0] = L'\0';
  const wchar_t* localized = GetLocalizedString(id);
  return SameFormatConversions(localized, builtIn) ? localized : builtIn;
}

bool IsRightToLeft() { return LanguageTexts().RightToLeft; }
