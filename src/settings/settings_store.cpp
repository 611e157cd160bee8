#include "settings/settings_store.h"
#include "settings/settings_store_writer.h"

#include <algorithm>
#include <new>

#include "environment/paths.h"
#include "files/disk_file.h"
#include "files/file_system.h"
#include "settings/text_reader.h"

namespace {

constexpr const wchar_t* kGlobalKey = L"Global";
constexpr const wchar_t* kBytesPrefix = L"bin:";
constexpr size_t kBytesPrefixLength = 4;

// Made on first use rather than constinit: clang 14 cannot construct the store's
// strings at compile time with GCC 12's C++ library.
SettingsStore& ProcessStore() {
  static SettingsStore store;
  return store;
}

bool IsStoreRoot(HKEY root) {
  return root == nullptr || root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE;
}

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

void AppendLittleEndian(std::string& bytes, const std::wstring& text) {
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
}

}  // namespace

std::wstring MakeEntryName(HKEY root, const wchar_t* keyPath, const wchar_t* valueName) {
  std::wstring prefix;
  if (root == HKEY_CURRENT_USER)
    prefix = L"HKCU\\";
  else if (root != nullptr)
    prefix = L"HKLM\\";
  return MakeName(prefix + OrEmpty(keyPath), OrEmpty(valueName));
}

DWORD ReadEntryNumber(const std::wstring& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == L'-') {
    negative = true;
    ++i;
  }
  // Unsigned arithmetic: an overlong run of digits wraps instead of overflowing.
  uint64_t number = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) number = number * 10 + (text[i] - L'0');
  if (negative) number = 0 - number;
  return static_cast<DWORD>(number);
}

void SettingsStore::LoadSettings() {
  if (loadTried_) return;
  loadTried_ = true;
  std::wstring path = GetModuleFolderFile(kSettingsFileName);
  if (!PathExists(path)) {
    std::wstring folder;
    if (!GetRoamingDataFolder(folder)) return;
    path = MakeName(folder, kSettingsFileName);
    if (!PathExists(path)) return;
  }
  LoadFile(path);
}

bool SettingsStore::LoadFile(const std::wstring& path) {
  Clear();
  loadTried_ = true;
  StringList lines;
  try {
    if (!ReadTextLines(path, lines)) return false;
  } catch (const std::bad_alloc&) {
    // Nothing was parsed yet; the store goes on with an empty file.
    lines = StringList();
  }
  LoadLines(lines, path);
  return true;
}

void SettingsStore::LoadLines(StringList& lines, const std::wstring& path) {
  loadTried_ = true;
  try {
    path_ = path;
    std::wstring line;
    while (lines.Next(line)) ParseLine(line);
  } catch (const std::bad_alloc&) {
    // Keep the entries parsed so far.
  }
  loaded_ = true;
  try {
    ReadGlobalSwitches();
  } catch (const std::bad_alloc&) {
  }
}

void SettingsStore::Clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  path_.clear();
  path_.shrink_to_fit();
  loaded_ = false;
  loadTried_ = false;
  appData_ = true;
  integration_ = true;
  saveSettings_ = true;
}

void SettingsStore::ParseLine(const std::wstring& line) {
  if (line.empty() || !IsAsciiLetter(line[0])) return;
  size_t equals = line.find(L'=');
  if (equals == std::wstring::npos) return;
  SettingsEntry entry{line.substr(0, equals), line.substr(equals + 1), EntryKind::Plain};
  std::wstring& value = entry.value;
  if (!value.empty() && value.front() == L'"') {
    entry.kind = EntryKind::Quoted;
    value.erase(0, 1);
    if (!value.empty() && value.back() == L'"') value.pop_back();
  } else if (value.starts_with(kBytesPrefix)) {
    entry.kind = EntryKind::Bytes;
    value.erase(0, kBytesPrefixLength);
  }
  entries_.push_back(std::move(entry));
}

void SettingsStore::ReadGlobalSwitches() {
  struct Switch {
    const wchar_t* name;
    bool* flag;
  };
  const Switch switches[] = {
      {L"AppData", &appData_}, {L"Integration", &integration_}, {L"SaveSettings", &saveSettings_}};
  for (const Switch& s : switches) {
    DWORD number = 1;
    GetDword(nullptr, kGlobalKey, s.name, 1, number);
    *s.flag = number != 0;
  }
  for (const Switch& s : switches) SetDword(nullptr, kGlobalKey, s.name, *s.flag ? 1 : 0);
}

const SettingsEntry* SettingsStore::FindEntry(const std::wstring& name) const {
  for (const SettingsEntry& entry : entries_)
    if (entry.name == name) return &entry;
  return nullptr;
}

bool SettingsStore::TakesRequest(HKEY root, const wchar_t* keyPath) {
  LoadSettings();
  if (!loaded_ || !IsStoreRoot(root)) return false;
  return OrEmpty(keyPath)[0] != L'\\';
}

bool SettingsStore::SetString(HKEY root, const wchar_t* keyPath, const wchar_t* name, const wchar_t* text) {
  if (!TakesRequest(root, keyPath)) return !integration_;
  PutEntry(MakeEntryName(root, keyPath, name), OrEmpty(text), EntryKind::Quoted);
  return true;
}

bool SettingsStore::SetDword(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD value) {
  if (!TakesRequest(root, keyPath)) return !integration_;
  PutEntry(MakeEntryName(root, keyPath, name), std::to_wstring(value), EntryKind::Plain);
  return true;
}

bool SettingsStore::GetString(HKEY root, const wchar_t* keyPath, const wchar_t* name, wchar_t* buffer,
                              const wchar_t* defaultText, size_t size) {
  if (TakesRequest(root, keyPath)) {
    const SettingsEntry* entry = FindEntry(MakeEntryName(root, keyPath, name));
    CopyTextBounded(buffer, entry ? entry->value.c_str() : OrEmpty(defaultText), size);
    return true;
  }
  if (integration_) return false;
  CopyTextBounded(buffer, OrEmpty(defaultText), size);
  return true;
}

bool SettingsStore::GetDword(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD defaultValue,
                             DWORD& value) {
  value = defaultValue;
  if (!TakesRequest(root, keyPath)) return !integration_;
  if (const SettingsEntry* entry = FindEntry(MakeEntryName(root, keyPath, name)))
    value = ReadEntryNumber(entry->value);
  return true;
}

bool SettingsStore::GetChars(HKEY root, const wchar_t* keyPath, const wchar_t* name, DWORD& count) {
  count = 0;
  if (!TakesRequest(root, keyPath)) return !integration_;
  if (const SettingsEntry* entry = FindEntry(MakeEntryName(root, keyPath, name)))
    count = static_cast<DWORD>(entry->value.size() + 1);
  return true;
}

bool SettingsStore::Remove(HKEY root, const wchar_t* keyPath, const wchar_t* name) {
  if (!TakesRequest(root, keyPath)) return !integration_;
  const std::wstring entryName = MakeEntryName(root, keyPath, name);
  if (OrEmpty(name)[0] != 0)
    std::erase_if(entries_, [&](const SettingsEntry& e) { return e.name == entryName; });
  else
    std::erase_if(entries_, [&](const SettingsEntry& e) { return e.name.starts_with(entryName); });
  return true;
}

bool SettingsStore::ClassKeyExists(const wchar_t* keyPath, bool& exists) {
  exists = false;
  TakesRequest(HKEY_CLASSES_ROOT, keyPath);
  return !integration_;
}

void SettingsStore::PutEntry(const std::wstring& name, const std::wstring& value, EntryKind kind) {
  for (SettingsEntry& entry : entries_) {
    if (entry.name == name) {
      entry.value = value;
      entry.kind = kind;
      return;
    }
  }
  entries_.push_back({name, value, kind});
}

std::string SettingsStore::FileBytes() const {
  std::vector<const SettingsEntry*> sorted;
  sorted.reserve(entries_.size());
  for (const SettingsEntry& entry : entries_) sorted.push_back(&entry);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const SettingsEntry* a, const SettingsEntry* b) { return a->name < b->name; });

  std::wstring text(1, L'\xFEFF');
  for (const SettingsEntry* entry : sorted) {
    text += entry->name;
    text += L'=';
    switch (entry->kind) {
      case EntryKind::Quoted:
        text += L'"';
        text += entry->value;
        text += L'"';
        break;
      case EntryKind::Bytes:
        text += kBytesPrefix;
        text += entry->value;
        break;
      case EntryKind::Plain:
        text += entry->value;
        break;
    }
    text += L"\r\n";
  }
  std::string bytes;
  bytes.reserve(text.size() * 2);
  AppendLittleEndian(bytes, text);
  return bytes;
}

bool SettingsStore::SaveSettingsFile() {
  if (!loaded_ || !saveSettings_) return false;
  // Only a file that is still there is written back: the uninstall run deletes
  // Bramix.ini when the installation list names it, and a copy made again at the
  // end of the run would keep the installation folder from being removed.
  if (!PathExists(path_)) return false;
  const std::string bytes = FileBytes();
  DiskFile file;
  if (!file.Create(path_)) return false;
  // A failed write is ignored: the file keeps what was written.
  file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
  file.Close();
  return true;
}

const SettingsStore& ProcessSettingsStore() { return ProcessStore(); }

SettingsStore& WritableSettingsStore() { return ProcessStore(); }

bool IntegrationAllowed() { return ProcessStore().IntegrationAllowed(); }

bool SaveSettingsFile() { return ProcessStore().SaveSettingsFile(); }
