#pragma once
// The settings file Bramix.ini, which can take the registry's place. When it is
// found (beside the program, else in %APPDATA%\Bramix), requests for the product
// key are served from its entries, and its Global\Integration switch decides
// whether other requests may reach the registry. The file is never created; one
// that was found, and still exists, is written back in UTF-16 on request (the
// entry routine asks as the run's last step).
#include <windows.h>

#include <string>
#include <vector>

#include "text/text_utils.h"

enum class EntryKind { Plain = 0, Quoted = 1, Bytes = 2 };

struct SettingsEntry {
  std::wstring name;
  std::wstring value;
  EntryKind kind = EntryKind::Plain;
};

constexpr wchar_t kSettingsFileName[] = L"Bramix.ini";

// The entry name of a registry request: "HKCU\" for HKEY_CURRENT_USER, nothing
// for the null root, "HKLM\" for any other root, then the key path joined with
// the value name (an empty value name leaves a trailing backslash).
std::wstring MakeEntryName(HKEY root, const wchar_t* keyPath, const wchar_t* valueName);
// A number as the file holds it: an optional '-', then decimal digits up to the
// first other character, cut to 32 bits; 0 without digits.
DWORD ReadEntryNumber(const std::wstring& text);

class SettingsStore {
 public:
  SettingsStore() = default;
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // Searches for the file once per run and loads it; later calls do nothing.
  void LoadSettings();
  // Loads the given file (and counts as the search); false, store inactive, when
  // it cannot be opened. Running out of memory keeps the entries read so far.
  bool LoadFile(const std::wstring& path);
  // Takes the lines of a settings file and marks the store loaded, reading and
  // normalising the Global switches; `path` is where a save would write.
  void LoadLines(StringList& lines, const std::wstring& path);
  // Frees every entry and forgets the file; the next request searches again.
  void Clear();

  bool Loaded() const { return loaded_; }
  bool IntegrationAllowed() const { return integration_; }
  const std::wstring& Path() const { return path_; }

  // True when the request is served from the entries (the store is loaded, the
  // root is null, HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE and the key path is
  // relative). Loads the file first if that has not been tried.
  bool TakesRequest(HKEY root, const wchar_t* keyPath);

  // Each returns true ("handled") when the registry must not be touched: the
  // request was served from the entries, or it was suppressed because the
  // Integration switch is off.
  bool SetString(HKEY root, const wchar_t* keyPath, const wchar_t* name, const wchar_t* text);
  bool SetDword(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD value);
  // The buffer gets the entry's value or the default, cut to size - 1.
  bool GetString(HKEY root, const wchar_t* keyPath, const wchar_t* name, wchar_t* buffer,
                 const wchar_t* defaultText, size_t size);
  // `value` is the entry read as a number, or the default.
  bool GetDword(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD defaultValue, DWORD& value);
  // `count` is the entry's length + 1, or 0 without an entry.
  bool GetChars(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD& count);
  // A non-empty name removes that value's entries; an empty name removes the key
  // with all its subkeys.
  bool Remove(HKEY root, const wchar_t* keyPath, const wchar_t* name);
  // Never served; `exists` is false.
  bool ClassKeyExists(const wchar_t* keyPath, bool& exists);

  // Replaces the first entry of that name, keeping its place, or appends one.
  void PutEntry(const std::wstring& name, const std::wstring& value, EntryKind kind);
  // The bytes a save writes: FF FE, then "name=value" lines sorted by name in
  // UTF-16 little-endian, each ended by CR LF.
  std::string FileBytes() const;
  // Rewrites the file when loaded, SaveSettings is on and the file still exists;
  // false when that is not the case or the file cannot be created (it then stays
  // as it was).
  bool SaveSettingsFile();

 private:
  void ParseLine(const std::wstring& line);
  void ReadGlobalSwitches();
  const SettingsEntry* FindEntry(const std::wstring& name) const;

  std::wstring path_;
  std::vector<SettingsEntry> entries_;  // in file order; new ones at the end
  bool loaded_ = false;
  bool loadTried_ = false;
  bool appData_ = true;
  bool integration_ = true;
  bool saveSettings_ = true;
};

// The process-wide store, for reading. The registry layer, the entry routine and
// tests change it through settings/settings_store_writer.h.
const SettingsStore& ProcessSettingsStore();

// The Integration switch of the settings file (true without one); does not load.
bool IntegrationAllowed();
// Writes the process-wide store's file back now; false when nothing was written.
bool SaveSettingsFile();
