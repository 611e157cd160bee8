#pragma once
// A dialog template made in memory: no controls, menu, class or title; with DS_SETFONT
// in the style, its font is `face` at 8 points.
#include <windows.h>

#include <cstring>
#include <vector>

class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short width, short height, const wchar_t* face = L"MS Shell Dlg")
      : words_(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3) {
    const DLGTEMPLATE header{style, 0, 0, 20, 20, width, height};
    std::memcpy(words_.data(), &header, sizeof header);
    if (style & DS_SETFONT) {
      words_.push_back(8);
      words_.insert(words_.end(), face, face + wcslen(face) + 1);
    }
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;  // the allocator's storage is aligned for the DWORD fields
};
