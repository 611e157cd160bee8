#pragma once
// Owners for what COM hands out: interface pointers (ComPtr, released when the
// owner goes), strings (BSTR), VARIANTs and memory of the task allocator
// (CoTaskMemAlloc). Each owner is move-only and frees on every path.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "environment/unique_handle.h"

using Microsoft::WRL::ComPtr;

struct BstrTraits {
  using Handle = BSTR;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { SysFreeString(h); }
};
using UniqueBstr = UniqueHandle<BstrTraits>;

template <typename T>
struct CoTaskMemTraits {
  using Handle = T*;
  static Handle Empty() { return nullptr; }
  static bool IsEmpty(Handle h) { return h == nullptr; }
  static void Close(Handle h) { CoTaskMemFree(h); }
};
// Memory that a call allocated with CoTaskMemAlloc for the caller to free, such as
// an item list of the shell.
template <typename T>
using UniqueCoTaskMem = UniqueHandle<CoTaskMemTraits<T>>;

// A VARIANT that is cleared (its string or interface released) when the owner
// goes or is filled again.
class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  UniqueVariant& operator=(UniqueVariant&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.value_;
      VariantInit(&other.value_);
    }
    return *this;
  }
  ~UniqueVariant() { reset(); }

  const VARIANT& get() const { return value_; }
  // Clears the value; it is VT_EMPTY afterwards.
  void reset() {
    VariantClear(&value_);
    VariantInit(&value_);
  }
  // Clears the value and returns it for a call to fill.
  VARIANT* put() {
    reset();
    return &value_;
  }

 private:
  VARIANT value_;
};
