#pragma once
// Reading a language table the way the tests compare it.
#include <string>

#include "localization/language_table.h"

// The text of `key` ("s:NAME", "$DIALOG:NAME", "@MENU:NAME"), or "<none>".
inline std::wstring TextOf(const LanguageTable& table, const std::string& key) {
  const std::wstring* text = table.Find(key.c_str());
  return text ? *text : L"<none>";
}
