#pragma once
// Failures that Wine does not produce, made on purpose: a ScopedImportPatch points
// one entry of this program's import address table at a replacement for as long as
// it lives, so that the program's own code calls the replacement.
#include <windows.h>

#include <cstring>
#include <cwchar>

class ScopedImportPatch {
 public:
  // `original`, when given, receives the entry's value before the replacement is
  // written, for a replacement that must never see the patched entry.
  ScopedImportPatch(const char* function, void* replacement, void** original = nullptr) {
    slot_ = FindSlot(function);
    if (!slot_) return;
    original_ = *slot_;
    if (original) *original = original_;
    Write(replacement);
  }
  ~ScopedImportPatch() {
    if (slot_) Write(original_);
  }
  ScopedImportPatch(const ScopedImportPatch&) = delete;
  ScopedImportPatch& operator=(const ScopedImportPatch&) = delete;
  bool Patched() const { return slot_ != nullptr; }
  void* Original() const { return original_; }

 private:
  static void** FindSlot(const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
      if (d->OriginalFirstThunk == 0) continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
      for (; names->u1.AddressOfData; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
          return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
    return nullptr;
  }
  void Write(void* value) {
    DWORD old;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof(void*), old, &old);
  }

  void** slot_ = nullptr;
  void* original_ = nullptr;
};
