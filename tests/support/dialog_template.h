#pragma once
// Dialog templates made in memory, for tests of the common dialog code that need no
// resources of the program.
#include <windows.h>

#include <cstring>
#include <vector>

inline constexpr WORD kButtonClass = 0x0080;
inline constexpr WORD kComboBoxClass = 0x0085;

class DialogTemplate {
 public:
  // A dialog of this style and size in dialog units, without menu, class or title;
  // with DS_SETFONT in the style, in 8-point "MS Shell Dlg".
  DialogTemplate(DWORD style, short width, short height) {
    Add(DLGTEMPLATE{style, 0, 0, 20, 20, width, height});
    words_.insert(words_.end(), {0, 0, 0});
    if (style & DS_SETFONT) {
      words_.push_back(8);
      AddText(L"MS Shell Dlg");
    }
  }
  // Adds a visible child of a predefined class at (16, y), 100 units wide.
  void AddControl(int id, WORD classAtom, DWORD style, short y, short height, const wchar_t* text) {
    words_.resize((words_.size() + 1) & ~size_t{1});  // items start on a DWORD boundary
    Add(DLGITEMTEMPLATE{WS_CHILD | WS_VISIBLE | style, 0, 16, y, 100, height, static_cast<WORD>(id)});
    words_.insert(words_.end(), {0xFFFF, classAtom});
    AddText(text);
    words_.push_back(0);  // no creation data
    reinterpret_cast<DLGTEMPLATE*>(words_.data())->cdit++;
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  template <class T>
  void Add(const T& record) {
    const size_t at = words_.size();
    words_.resize(at + sizeof(T) / sizeof(WORD));
    std::memcpy(&words_[at], &record, sizeof(T));
  }
  void AddText(const wchar_t* text) { words_.insert(words_.end(), text, text + wcslen(text) + 1); }
  std::vector<WORD> words_;  // the allocator's storage is aligned for the DWORD fields
};
