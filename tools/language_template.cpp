// language_template.exe <file>: writes a language-file template for translators.
// Every key of the program's key table gets a line of its own, ready to be filled
// in, under the built-in Italian text as a comment; the sections and the direction
// line are in place. The file is UTF-16 with a byte-order mark, so that any
// language can be written into it. Exit code 0, or 1 when the file could not be
// written.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "environment/unique_handle.h"
#include "localization/key_table.h"

namespace {

constexpr wchar_t kHeader[] =
    L"Language file of Uninstall.exe, the Bramix maintenance program.\r\n"
    L"\r\n"
    L"How to translate: write your text after each key, on the key's own line, and\r\n"
    L"keep the key as it is. The comment above each key shows the built-in Italian\r\n"
    L"text. A key with nothing after it shows an empty text: delete the lines of the\r\n"
    L"keys you leave untranslated, and they keep the built-in text. Keep %s where the\r\n"
    L"Italian text has it, and the & that marks a control's access key. Escapes: \\n\r\n"
    L"for a line break, \\t for a tab, \\\" and \\\\ for a quote and a backslash; enclose\r\n"
    L"a text in quotes to keep spaces at its ends. Lines that begin with ; are\r\n"
    L"comments. Save the file as uninstall.lng beside Uninstall.exe, as UTF-16 (as\r\n"
    L"it is now) or in the ANSI code page of the language.\r\n"
    L"\r\n"
    L"Everything above the following line is ignored.\r\n"
    L"***messages**\r\n"
    L"\r\n"
    L"; RTL for a language written from right to left\r\n"
    L":DIRECTION LTR\r\n";

constexpr wchar_t kSizeComment[] =
    L"; width*height of the dialog in percent of its built-in size; 100*100 keeps it\r\n";

// A text as it may stand in a comment line: line breaks and tabs as escapes.
std::wstring OneLine(const std::wstring& text) {
  std::wstring line;
  for (wchar_t c : text) {
    if (c == L'\n')
      line += L"\\n";
    else if (c == L'\r')
      line += L"\\r";
    else if (c == L'\t')
      line += L"\\t";
    else
      line += c;
  }
  return line;
}

std::wstring Widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

// Reads the next text or ordinal of a dialog template (none, 0xFFFF and a number,
// or a string) and returns the string, empty for the other two forms.
std::wstring ReadTextOrOrdinal(const WORD*& at) {
  if (*at == 0) {
    ++at;
    return L"";
  }
  if (*at == 0xFFFF) {
    at += 2;
    return L"";
  }
  std::wstring text(reinterpret_cast<const wchar_t*>(at));
  at += text.size() + 1;
  return text;
}

// The caption (under id 0) and the control texts by id of a dialog template of
// this program; empty when it has no such extended template.
std::map<unsigned, std::wstring> DialogTexts(const wchar_t* name) {
  std::map<unsigned, std::wstring> texts;
  HRSRC found = FindResourceW(nullptr, name, RT_DIALOG);
  const auto* words = found ? static_cast<const WORD*>(LockResource(LoadResource(nullptr, found))) : nullptr;
  if (!words || words[0] != 1 || words[1] != 0xFFFF) return texts;
  DWORD style;
  std::memcpy(&style, words + 6, sizeof(style));
  const WORD count = words[8];
  const WORD* at = words + 13;
  ReadTextOrOrdinal(at);  // menu
  ReadTextOrOrdinal(at);  // window class
  texts[0] = ReadTextOrOrdinal(at);
  if (style & DS_SETFONT) {
    at += 3;  // point size, weight, italic and character set
    ReadTextOrOrdinal(at);
  }
  for (WORD item = 0; item < count; ++item) {
    at = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(at) + 3) & ~UINT_PTR{3});
    DWORD id;
    std::memcpy(&id, at + 10, sizeof(id));
    at += 12;
    ReadTextOrOrdinal(at);  // class
    std::wstring text = ReadTextOrOrdinal(at);
    at += 1 + (*at + 1) / 2;  // creation data, counted in bytes
    if (id != static_cast<DWORD>(-1) && id != 0xFFFF) texts[id] = text;
  }
  return texts;
}

std::wstring BuiltInString(unsigned id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 ? std::wstring(text, length) : L"";
}

// The section line that opens the rows of this key prefix ("s", "$SETUPDLG").
std::wstring SectionLine(std::string_view prefix) {
  if (prefix == "s") return L"\r\n:STRINGS\r\n";
  return L"\r\n:DIALOG " + Widen(prefix.substr(1)) + L"\r\n";
}

std::wstring Template() {
  std::wstring text = kHeader;
  std::string_view section;
  std::map<unsigned, std::wstring> dialogTexts;
  for (const KeyRow& row : KeyTable()) {
    const std::string_view prefix = KeyPrefix(row.Name);
    const std::string_view item = std::string_view(row.Name).substr(prefix.size() + 1);
    if (prefix != section) {
      section = prefix;
      text += SectionLine(prefix);
      if (prefix != "s") dialogTexts = DialogTexts(Widen(prefix.substr(1)).c_str());
    }
    if (item == "SIZE") {
      text += kSizeComment;
      text += L"SIZE 100*100\r\n";
      continue;
    }
    text += L"; " + OneLine(prefix == "s" ? BuiltInString(row.Id) : dialogTexts[row.Id]) + L"\r\n";
    text += Widen(item) + L" \r\n";
  }
  return text;
}

bool WriteUtf16File(const wchar_t* path, const std::wstring& text) {
  UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const std::wstring bytes = L"\xFEFF" + text;
  const DWORD size = static_cast<DWORD>(bytes.size() * sizeof(wchar_t));
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), size, &written, nullptr) && written == size;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: language_template.exe <language file to write>\n", stderr);
    return 1;
  }
  if (!WriteUtf16File(argv[1], Template())) {
    std::fprintf(stderr, "cannot write %ls\n", argv[1]);
    return 1;
  }
  return 0;
}
