#include "localization/language_table.h"
#include "localization/language_table_writer.h"

#include <algorithm>
#include <string_view>

namespace {

constinit LanguageTable processTable;

// std::string orders its bytes as unsigned characters, as strcmp does.
bool KeyLess(const LanguageRecord& a, const LanguageRecord& b) { return a.Key < b.Key; }

}  // namespace

void LanguageTable::Add(std::string key, std::wstring text) {
  records_.push_back(LanguageRecord{std::move(key), std::move(text)});
}

void LanguageTable::Finish() { std::stable_sort(records_.begin(), records_.end(), KeyLess); }

void LanguageTable::Clear() {
  records_.clear();
  RightToLeft = false;
}

const std::wstring* LanguageTable::Find(const char* key) const {
  std::string_view wanted(key);
  auto found = std::lower_bound(records_.begin(), records_.end(), wanted,
                                [](const LanguageRecord& record, std::string_view k) { return record.Key < k; });
  if (found == records_.end() || found->Key != wanted) return nullptr;
  return &found->Text;
}

const LanguageTable& LanguageTexts() { return processTable; }

LanguageTable& WritableLanguageTexts() { return processTable; }
