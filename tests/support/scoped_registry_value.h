#pragma once
// One value of the real registry (outside any sandbox), such as a setting of the
// Wine prefix that a test changes: what it held when the object was made comes back
// when the object goes, and a value that was absent is deleted again.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class ScopedRegistryValue {
 public:
  ScopedRegistryValue(HKEY root, const wchar_t* key, const wchar_t* name) : root_(root), key_(key), name_(name) {
    DWORD size = 0;
    if (RegGetValueW(root_, key_, name_, RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &size) != ERROR_SUCCESS) return;
    saved_.emplace(size, 0);
    if (RegGetValueW(root_, key_, name_, RRF_RT_ANY | RRF_NOEXPAND, &type_, saved_->data(), &size) != ERROR_SUCCESS)
      saved_.reset();
  }
  ~ScopedRegistryValue() {
    if (saved_)
      RegSetKeyValueW(root_, key_, name_, type_, saved_->data(), static_cast<DWORD>(saved_->size()));
    else
      RegDeleteKeyValueW(root_, key_, name_);
  }
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

  void SetText(const std::wstring& text, DWORD type = REG_SZ) const {
    RegSetKeyValueW(root_, key_, name_, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(DWORD number) const { RegSetKeyValueW(root_, key_, name_, REG_DWORD, &number, sizeof(number)); }

 private:
  HKEY root_;
  const wchar_t* key_;
  const wchar_t* name_;
  DWORD type_ = REG_NONE;
  std::optional<std::vector<BYTE>> saved_;
};
