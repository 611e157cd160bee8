// Writes a 2 MB language file with 20,000 keys (in UTF-16 and in ANSI), reads it
// the way start-up does and looks up every key, printing the times.
// Usage: bench_language_file.exe [repetitions]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "localization/language_file.h"
#include "localization/language_table_writer.h"
#include "localization/strings.h"

namespace {

constexpr int kKeys = 20000;

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

std::string KeyName(int i) {
  char name[32];
  std::snprintf(name, sizeof(name), "IDS_BENCH%05d", i);
  return name;
}

// One line per key, padded with text so that the file comes close to 2 MB.
std::string MakeFile(bool wide) {
  const size_t lineUnits = (0x1F0000 / (wide ? 2 : 1)) / kKeys;
  std::string text = "Benchmark language file\r\n***messages**\r\n:STRINGS\r\n";
  for (int i = 0; i < kKeys; ++i) {
    std::string line = KeyName(i) + " \"Text of key " + std::to_string(i) + " ";
    line.append(lineUnits - line.size() - 3, 'a' + i % 26);
    text += line + "\"\r\n";
  }
  if (!wide) return text;
  std::string bytes = "\xFF\xFE";
  for (char c : text) bytes += c, bytes += '\0';
  return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

struct Figures {
  double load = 1e99, read = 1e99, lookup = 1e99;
  int found = 0;
  size_t records = 0;
};

void Measure(const std::wstring& path, Figures& figures) {
  WritableLanguageTexts().Clear();
  LARGE_INTEGER start = Now();
  LoadLanguage(path.c_str());
  figures.load = std::min(figures.load, Milliseconds(start, Now()));

  WritableLanguageTexts().Clear();
  start = Now();
  ReadLanguageFile(path);
  figures.read = std::min(figures.read, Milliseconds(start, Now()));
  figures.records = WritableLanguageTexts().Size();

  std::vector<std::string> keys;
  for (int i = 0; i < kKeys; ++i) keys.push_back("s:" + KeyName(i));
  static wchar_t buffer[kLocalizedBufferSize];
  int found = 0;
  start = Now();
  for (const std::string& key : keys) found += FindLanguageText(key.c_str(), buffer, kLocalizedBufferSize);
  figures.lookup = std::min(figures.lookup, Milliseconds(start, Now()));
  figures.found = found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int repetitions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::printf("%d keys, best of %d runs\n", kKeys, repetitions);
  for (bool wide : {true, false}) {
    std::wstring path = std::wstring(temp) + (wide ? L"bench_utf16.lng" : L"bench_ansi.lng");
    std::string bytes = MakeFile(wide);
    if (!WriteWholeFile(path, bytes)) {
      std::printf("cannot write the benchmark file\n");
      return 1;
    }
    Figures figures;
    for (int i = 0; i < repetitions; ++i) Measure(path, figures);
    DeleteFileW(path.c_str());
    std::printf("%-6s file %7zu bytes: LoadLanguage %7.2f ms, ReadLanguageFile %7.2f ms (%zu records), "
                "%d lookups %6.2f ms (%.3f us each), %d found\n",
                wide ? "UTF-16" : "ANSI", bytes.size(), figures.load, figures.read, figures.records, kKeys,
                figures.lookup, 1000.0 * figures.lookup / kKeys, figures.found);
  }
  WritableLanguageTexts().Clear();
  return 0;
}
